#pragma once
#include <windows.h>

#include <string>

class CLanguage;

// Opens "Pathwren.chm" in the program directory; a file that cannot be opened is reported in one
// error box titled with the language's Error text.
void OpenHelpFile(const CLanguage* language);

// The donation page's address, asking for euros when the user's currency symbol is the euro sign.
std::wstring DonationAddress();

// Opens the donation page in the default browser; when none starts, the box names the home page
// where the page can be found.
void OpenDonationPage(const CLanguage* language);

#pragma once
#include "PathwrenVersion.h"

// Where the program sends the user and where it looks for updates. Each host name and the mail
// address are written once, here; the paths and query keys after them are what the servers expect.
#define PATHWREN_MAKER_HOST L"www.pathwren.example.org"
#define PATHWREN_PAYMENT_HOST L"www.paypal.com"
#define PATHWREN_MAKER_MAIL L"pathwren@example.org"
#define PATHWREN_HOME_PAGE L"http://" PATHWREN_MAKER_HOST L"/Pathwren/"

const wchar_t kMakerHost[] = PATHWREN_MAKER_HOST;
const wchar_t kMakerName[] = L"The Pathwren developers";
const wchar_t kMakerMailAddress[] = PATHWREN_MAKER_MAIL;

const wchar_t kHomePageAddress[] = PATHWREN_HOME_PAGE;
const wchar_t kUserManualAddress[] = PATHWREN_HOME_PAGE L"index.php#documentation_user";
const wchar_t kMailtoAddress[] = L"mailto:" PATHWREN_MAKER_MAIL;
const wchar_t kDonationAddress[] = L"https://" PATHWREN_PAYMENT_HOST L"/cgi-bin/webscr?cmd=_xclick"
                                   L"&business=" PATHWREN_MAKER_MAIL L"&item_name=Donation%20for%20Pathwren"
                                   L"&return=" PATHWREN_HOME_PAGE;

// Paths on the update server: the maker's host unless the main INI file names another.
const wchar_t kUpdateInformationPath[] = L"/Pathwren/Pathwren.xml";
const wchar_t kUpdateDownloadPath[] = L"/exe/" PATHWREN_PORTABLE_ZIP_NAME;

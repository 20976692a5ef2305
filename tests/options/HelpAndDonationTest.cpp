#include "options/HelpAndDonation.h"

#include "config/Language.h"
#include "config/SpecialPath.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/OpenedAddresses.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t kInternational[] = L"Control Panel\\International";

// Sets the user's currency symbol for the test and puts the previous one back.
class CurrencySymbol {
public:
    CurrencySymbol() {
        DWORD size = sizeof(m_previous);
        m_existed = RegGetValueW(HKEY_CURRENT_USER, kInternational, L"sCurrency", RRF_RT_REG_SZ, nullptr, m_previous,
                                 &size) == ERROR_SUCCESS;
    }
    ~CurrencySymbol() {
        if (m_existed)
            Set(m_previous);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternational, L"sCurrency");
    }
    void Set(const std::wstring& symbol) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kInternational, L"sCurrency", REG_SZ, symbol.c_str(),
                        static_cast<DWORD>((symbol.size() + 1) * sizeof(wchar_t)));
    }

private:
    wchar_t m_previous[64] = L"";
    bool m_existed = false;
};

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST(HelpAndDonationTest, HelpOpensTheFileBesideTheProgramOrShowsOneBox) {
    OpenedAddresses opened;
    CLanguage language;
    TempDirectory programDirectory;
    OverrideProgramDirectory((programDirectory.Path() + L"\\").c_str());
    {
        DialogScriptDriver driver({DialogScriptDriver::Press(IDOK)});
        OpenHelpFile(&language);
        auto dialogs = driver.Finish();
        ASSERT_EQ(1u, dialogs.size()) << testing::PrintToString(DescribeDialogs(dialogs));
        EXPECT_EQ(L"Error opening help file Pathwren.chm", dialogs[0].text);
        EXPECT_EQ(std::wstring(language.Error), dialogs[0].caption);
    }
    ASSERT_TRUE(WriteFileBytes(programDirectory.File(L"Pathwren.chm"), {'I', 'T', 'S', 'F'}));
    {
        DialogScriptDriver driver;
        OpenHelpFile(&language);
        EXPECT_TRUE(driver.Finish().empty()) << "an existing help file opens without a box";
    }
    OverrideProgramDirectory(nullptr);
    std::vector<std::wstring> lines = opened.Wait(1);
    ASSERT_EQ(1u, lines.size()) << "the help file did not reach its viewer";
    EXPECT_NE(std::wstring::npos, lines[0].find(L"Pathwren.chm")) << testing::PrintToString(lines[0]);
    EXPECT_NE(std::wstring::npos, lines[0].find(programDirectory.Path().substr(programDirectory.Path().rfind(L'\\'))))
        << testing::PrintToString(lines[0]);
}

TEST(HelpAndDonationTest, OnlyTheEuroSignAsksForEuros) {
    const std::wstring euro = L"&currency_code=EUR";
    CurrencySymbol currency;
    struct Case {
        std::wstring symbol;
        bool euros;
    } cases[] = {{L"\x20AC", true}, {L"$", false}, {L"kr", false}, {L"\x20AC\x20AC", false}, {L"", false}};
    for (const Case& c : cases) {
        currency.Set(c.symbol);
        std::wstring address = DonationAddress();
        EXPECT_EQ(c.euros, EndsWith(address, euro)) << testing::PrintToString(address);
        EXPECT_EQ(0u, address.find(L"https://www.paypal.com/cgi-bin/webscr?cmd=_xclick&business=pathwren@example.org"
                                   L"&item_name=Donation%20for%20Pathwren&return=http://"))
            << testing::PrintToString(address);
    }

    OpenedAddresses opened;
    currency.Set(L"\x20AC");
    DialogScriptDriver driver;
    OpenDonationPage(nullptr);
    EXPECT_TRUE(driver.Finish().empty());
    std::vector<std::wstring> lines = opened.Wait(1);
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(EndsWith(lines[0], euro + L"\"")) << testing::PrintToString(lines[0]);
}

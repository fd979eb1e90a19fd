#include "import/DateTimeText.h"
#include "import/ImportRun.h"
#include "support/ImportFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

// glibc's newlocale keeps the list it makes from LOCPATH (about 40 bytes a call); the sanitizer
// build would call that a leak of this test.
extern "C" const char* __lsan_default_suppressions() { return "leak:__argz_add_sep\n"; }

namespace {

using importtest::ScratchFolder;

// Sets environment variables for one test and puts the old values back.
class Environment {
public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ~Environment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else ::unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

std::tm fifthOfMarch() {
    std::tm when{};
    when.tm_year = 2025 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 8;
    when.tm_min = 7;
    when.tm_sec = 9;
    return when;
}

TEST(DateTimeText, TheLocaleComesFromLcAllThenLcTimeThenLang) {
    struct Case { const char* lcAll; const char* lcTime; const char* lang; const char* locale; };
    const Case cases[] = {
        {"es_ES.UTF-8", "en_US.UTF-8", "de_DE.UTF-8", "es_ES.UTF-8"},
        {"", "en_US.UTF-8", "de_DE.UTF-8", "en_US.UTF-8"},
        {nullptr, nullptr, "de_DE.UTF-8", "de_DE.UTF-8"},
        {nullptr, nullptr, nullptr, ""},
        {"C", "en_US.UTF-8", nullptr, ""},
        {nullptr, "POSIX", nullptr, ""},
        {nullptr, nullptr, "C.UTF-8", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.lcAll ? c.lcAll : "-") + " " + (c.lcTime ? c.lcTime : "-") + " " +
                     (c.lang ? c.lang : "-"));
        Environment environment;
        environment.set("LC_ALL", c.lcAll);
        environment.set("LC_TIME", c.lcTime);
        environment.set("LANG", c.lang);
        EXPECT_EQ(importrun::timeLocaleFromEnvironment(), c.locale);
    }
}

// The locales are built into a private folder (LOCPATH), so the test needs none installed.
TEST(DateTimeText, ShortDateWithAFourDigitYearThenLongTime) {
    ScratchFolder locales;
    for (const char* name : {"es_ES", "en_US"}) {
        const auto made = importtest::runCommand("localedef -i " + std::string(name) + " -f UTF-8 " +
                                                 importtest::shellQuoted((locales.path() / (std::string(name) + ".UTF-8")).string()));
        ASSERT_TRUE(std::filesystem::exists(locales.path() / (std::string(name) + ".UTF-8")))
            << "localedef (package locales): " << made.err;
    }
    Environment environment;
    environment.set("LOCPATH", locales.path().c_str());
    struct Case { const char* locale; const char* text; };
    const Case cases[] = {
        {"es_ES.UTF-8", "05/03/2025 08:07:09"},     // %d/%m/%y, widened to four digits
        {"es_ES", "05/03/2025 08:07:09"},           // taken in its UTF-8 variant
        {"en_US.UTF-8", "03/05/2025 08:07:09 AM"},
        {"", "05/03/2025 08:07:09"},
        {"xx_YY.UTF-8", "05/03/2025 08:07:09"},     // not installed: the plain form
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(importrun::formatDateTime(fifthOfMarch(), c.locale), c.text);
    }
}

TEST(DateTimeText, WithoutALocaleTheCurrentTimeIsDayMonthYear) {
    Environment environment;
    environment.set("LC_ALL", nullptr);
    environment.set("LC_TIME", nullptr);
    environment.set("LANG", nullptr);
    const std::string now = importrun::currentDateTimeText();
    EXPECT_TRUE(std::regex_match(now, std::regex(R"([0-3]\d/[01]\d/20\d\d [0-2]\d:[0-5]\d:[0-5]\d)"))) << now;
}

}  // namespace

// Runs the sitecheck executable against the demo sites, started here on the
// ports of this build's endpoint values.

#include <array>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "demo/demo_sites.hpp"

namespace orvu {
namespace {

struct SitecheckRun {
    int status;
    std::string out;
};

SitecheckRun sitecheck(const std::string& arguments) {
    const std::string command = std::string(SITECHECK_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string first_line(const std::string& out) {
    return out.substr(0, out.find('\n'));
}

std::string cell(const std::string& line, int column) {
    std::size_t from = 0;
    for (int i = 0; i < column; ++i)
        from = line.find('\t', from) + 1;
    return line.substr(from, line.find('\t', from) - from);
}

class SitecheckTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        sites_ = std::make_unique<demo::DemoSites>(demo::build_demo_ports());
    }
    static void TearDownTestSuite() { sites_.reset(); }
    static std::unique_ptr<demo::DemoSites> sites_;
};
std::unique_ptr<demo::DemoSites> SitecheckTest::sites_;

TEST_F(SitecheckTest, WalksTheRoadOnEverySite) {
    for (const char* site : {"1", "2", "3"}) {
        SCOPED_TRACE(std::string("site ") + site);
        const SitecheckRun search = sitecheck(std::string("search ") + site + " 西游记");
        ASSERT_EQ(search.status, 0);
        const std::string row = first_line(search.out);
        EXPECT_EQ(cell(row, 0), "1");
        EXPECT_NE(cell(row, 1).find("西游记"), std::string::npos);

        const SitecheckRun links =
            sitecheck(std::string("links ") + site + " '" + cell(row, 2) + "'");
        ASSERT_EQ(links.status, 0);
        const std::string link = first_line(links.out);
        EXPECT_EQ(cell(link, 0), "1");

        const SitecheckRun download = sitecheck(std::string("download ") + site + " '" +
                                                cell(link, 2) + "' '" + cell(link, 1) + "'");
        ASSERT_EQ(download.status, 0);
        const std::string address = first_line(download.out);
        EXPECT_NE(address.find(".txt"), std::string::npos) << address;
        if (std::string(site) == "3") {
            EXPECT_NE(address.find("西游记.txt"), std::string::npos);
        }
    }
}

TEST_F(SitecheckTest, ExitStatusSaysWhatHappened) {
    struct Case {
        const char* arguments;
        int status;
    };
    const Case cases[] = {
        {"search 1 'no such book anywhere'", 1},
        {"links 2 /b/no-such-book/", 1},
        {"", 2},
        {"search 4 x", 2},
        {"search 1", 2},
        {"download 3 /du/1/1/", 2},
        {"fetch 1 x", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sitecheck(c.arguments).status, c.status) << c.arguments;
}

}  // namespace
}  // namespace orvu

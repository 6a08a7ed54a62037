#include <random>

#include <gtest/gtest.h>

#include "support/text_support.hpp"
#include "web/gunzip.hpp"
#include "web/zlib_codec.hpp"

namespace orvu {
namespace {

// Bytes that do not compress, so the gzip stream spans several input windows too.
std::string noise(std::size_t size, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

std::string page(std::size_t size) {
    std::string text;
    while (text.size() < size)
        text += "<a href='/du/1/'>line</a>\r\n";
    text.resize(size);
    return text;
}

Bytes gunzip(const std::string& body) {
    return gunzip_body(Bytes(body));
}

TEST(GunzipBody, DecodesWholeStreams) {
    struct Case {
        const char* what;
        std::string plain;
    };
    const Case cases[] = {
        {"20000 bytes over several steps", noise(20000)},
        {"a page of 20000 bytes", page(20000)},
        {"exactly one output area", noise(8192)},
        {"one byte more than an output area", noise(8193)},
        {"zero bytes inside the content", std::string("a\0b\0\0c", 6)},
        {"an empty member", ""},
        {"several MiB", noise(3 << 20)},
    };
    for (const Case& c : cases) {
        const std::string body = gzip_compress(c.plain);
        ASSERT_FALSE(body.empty()) << c.what;
        EXPECT_EQ(gunzip(body).view(), c.plain) << c.what;
    }
}

TEST(GunzipBody, IgnoresWhatFollowsTheFirstMember) {
    const std::string first = page(10000);
    const std::string member = gzip_compress(first);
    EXPECT_EQ(gunzip(member + gzip_compress("second member")).view(), first);
    EXPECT_EQ(gunzip(member + "trailing garbage").view(), first);
}

TEST(GunzipBody, GivesNothingForWhatIsNotGzip) {
    for (const std::string& body : {std::string("<html><body>plain</body></html>"), std::string(),
                                    std::string("\x1F\x8B"), noise(100)}) {
        EXPECT_TRUE(gunzip(body).empty()) << test::hex_of(body.substr(0, 16));
    }
}

TEST(GunzipBody, KeepsWhatWasDecodedBeforeAFault) {
    const std::string plain = noise(50000);
    const std::string whole = gzip_compress(plain);

    const Bytes truncated = gunzip(whole.substr(0, whole.size() / 2));
    EXPECT_GT(truncated.size(), 8192u);
    EXPECT_LT(truncated.size(), plain.size());
    EXPECT_EQ(truncated.view(), std::string_view(plain).substr(0, truncated.size()));

    // A damaged trailer check: the step that meets it contributes nothing, the
    // steps before it keep their part.
    std::string corrupt = whole;
    corrupt.replace(corrupt.size() - 8, 4, "\xDE\xAD\xBE\xEF");  // the trailer's CRC
    const Bytes decoded = gunzip(corrupt);
    EXPECT_LT(decoded.size(), plain.size());
    EXPECT_EQ(decoded.view(), std::string_view(plain).substr(0, decoded.size()));
}

TEST(GunzipBody, RefusesToDecodePastTheLimit) {
    const std::string bomb = gzip_compress(std::string(max_gunzip_size + 1, 'x'));
    ASSERT_FALSE(bomb.empty());
    EXPECT_LT(bomb.size(), 2u << 20);
    EXPECT_TRUE(gunzip(bomb).empty());
}

}  // namespace
}  // namespace orvu

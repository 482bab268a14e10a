#include "platform/FileDigest.h"

#include "platform/Sha256.h"
#include "tests/line/LineFolder.h"

namespace corvane::platform {
namespace {

using FileDigestTest = LineFolderTest;

TEST_F(FileDigestTest, GivesTheSizeAndSha256OfWhatTheFileHolds) {
    // The known digests of FIPS 180-2: nothing, "abc", and a million "a" (read in many pieces).
    const struct {
        std::string bytes;
        const char* sha256;
    } files[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& file : files) {
        const FileDigest digest = DigestFile(Write("file.prm", file.bytes));
        EXPECT_EQ(digest.problem, "");
        EXPECT_EQ(digest.size, file.bytes.size());
        EXPECT_EQ(digest.sha256, file.sha256);
    }
    const FileDigest missing = DigestFile(PathOf("missing.prm"));
    EXPECT_EQ(missing.problem, "no such file");
    EXPECT_EQ(missing.sha256, "");
}

TEST(Sha256, TakesTheBytesInPieces) {
    Sha256 whole;
    const std::string text = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    whole.Add({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    Sha256 pieces;
    for (const char c : text) {
        pieces.Add({reinterpret_cast<const uint8_t*>(&c), 1});
    }
    const std::array<uint8_t, 32> digest = whole.Finish();
    EXPECT_EQ(digest, pieces.Finish());
    EXPECT_EQ(digest[0], 0x24);
    EXPECT_EQ(digest[31], 0xc1);
}

}  // namespace
}  // namespace corvane::platform

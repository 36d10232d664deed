// Strings: conversions, the text operations and their sharing, file text.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "runtime/runtime.h"

namespace {

std::string utf8(const String& s) {
    std::vector<unsigned char> bytes;
    s.Save(bytes);
    return std::string(bytes.begin(), bytes.end());
}

String S(const char* text) {
    return String(text);
}

TEST(StringTest, NumbersFormatAsTheRuntimeDoes) {
    EXPECT_EQ(utf8(String(42)), "42");
    EXPECT_EQ(utf8(String(-7)), "-7");
    EXPECT_EQ(utf8(String(1.0f)), "1.0");
    EXPECT_EQ(utf8(String(3.0f)), "3.0");
    EXPECT_EQ(utf8(String(-2.0f)), "-2.0");
    EXPECT_EQ(utf8(String(0.5f)), "0.5");
    EXPECT_EQ(utf8(String(0.1f)), "0.10000000149011612");
    std::string big = utf8(String(1e20f));
    EXPECT_NE(big.find('e'), std::string::npos);
    EXPECT_NE(big.substr(big.size() - 2), ".0");
}

TEST(StringTest, EightBitConstructorsExtendBytesDifferently) {
    String sign_extended("\xE9");
    EXPECT_EQ(sign_extended[0], 0xFFE9);
    const unsigned char byte = 0xE9;
    String zero_extended(&byte, 1);
    EXPECT_EQ(zero_extended[0], 0x00E9);
}

TEST(StringTest, SliceClampsItsArguments) {
    String abcdef = S("abcdef");
    EXPECT_TRUE(abcdef.Slice(-3) == S("def"));
    EXPECT_EQ(abcdef.Slice(2, 1).Length(), 0);
    EXPECT_TRUE(abcdef.Slice(1, -1) == S("bcde"));
    EXPECT_TRUE(abcdef.Slice(-100, 2) == S("ab"));
    String abc = S("abc");
    String whole = abc.Slice(0, 100);
    EXPECT_TRUE(whole.SharesWith(abc));
}

TEST(StringTest, FindAndFindLast) {
    String abc = S("abc");
    EXPECT_EQ(abc.Find(String(), 2), 2);
    EXPECT_EQ(S("a").Find(String(), 2), -1);
    EXPECT_EQ(abc.Find(S("c"), -5), 2);
    // A start near the int limit finds nothing rather than running past the text.
    EXPECT_EQ(abc.Find(S("a"), INT_MAX), -1);
    EXPECT_EQ(abc.Find(S("ab"), INT_MAX - 1), -1);
    EXPECT_EQ(abc.Find(String(), INT_MAX), -1);
    EXPECT_EQ(S("abab").FindLast(S("ab")), 2);
    EXPECT_EQ(abc.FindLast(S("abcd")), -1);
    EXPECT_TRUE(abc.StartsWith(S("ab")));
    EXPECT_FALSE(abc.StartsWith(S("abcd")));
}

TEST(StringTest, SplitKeepsEmptyPieces) {
    struct Case {
        const char* text;
        const char* sep;
        std::vector<std::string> pieces;
    } cases[] = {
        {"a,b,,c", ",", {"a", "b", "", "c"}}, {"", ",", {""}}, {",,", ",", {"", "", ""}},
        {"abc", "", {"a", "b", "c"}},         {"", "", {}},    {"aaa", "aa", {"", "a"}},
    };
    for (const Case& c : cases) {
        Array<String> parts = S(c.text).Split(S(c.sep));
        ASSERT_EQ(parts.Length(), static_cast<int>(c.pieces.size())) << c.text;
        for (int i = 0; i < parts.Length(); ++i) EXPECT_EQ(utf8(parts[i]), c.pieces[i]) << c.text;
    }
}

TEST(StringTest, OperationsWithoutEffectShareTheRepresentation) {
    String text = S("Hello");
    EXPECT_TRUE((text + String()).SharesWith(text));
    EXPECT_TRUE((String() + text).SharesWith(text));
    EXPECT_TRUE(text.Replace(S("x"), S("y")).SharesWith(text));
    EXPECT_TRUE(S("hello").ToLower().Length() == 5);
    String lower = S("abc");
    EXPECT_TRUE(lower.ToLower().SharesWith(lower));
    EXPECT_TRUE(text.Split(S(",")).operator[](0).SharesWith(text));
    EXPECT_TRUE(text.ToLower() == S("hello"));
    EXPECT_TRUE(S("a-b-c").Replace(S("-"), S("--")) == S("a--b--c"));
}

TEST(StringTest, TheSharedEmptyStringIsNeverCounted) {
    // The representation sits right before the characters.
    const String empty;
    const auto* rep = reinterpret_cast<const String::Rep*>(empty.Data()) - 1;
    const int before = rep->refs;
    for (int i = 0; i < 1000; ++i) {
        String made;
        String copy = made;
        copy = empty;
        String moved = std::move(copy);
        String sliced = S("abc").Slice(3);
    }
    EXPECT_EQ(rep->refs, before);
}

TEST(StringTest, LoadDecodesByteOrderMarksAndUtf8) {
    struct Case {
        std::vector<unsigned char> bytes;
        std::u16string text;
    } cases[] = {
        {{0xEF, 0xBB, 0xBF, 0x68, 0x69}, u"hi"},
        {{0xFF, 0xFE, 0x68, 0x00, 0x69, 0x00}, u"hi"},
        {{0xFE, 0xFF, 0x00, 0x68, 0x00, 0x69, 0x7A}, u"hi"},
        {{0xC3, 0xA9}, u"\u00e9"},
        {{0xE2, 0x82, 0xAC}, u"\u20ac"},
        {{}, u""},
    };
    for (const Case& c : cases) {
        String s = String::Load(c.bytes.data(), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(std::u16string(s.Data(), static_cast<size_t>(s.Length())), c.text);
    }
}

TEST(StringTest, InvalidUtf8FallsBackToBytes) {
    const unsigned char bytes[] = {0xE9};
    testing::internal::CaptureStdout();
    String s = String::Load(bytes, 1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Invalid UTF-8!\n");
    ASSERT_EQ(s.Length(), 1);
    EXPECT_EQ(s[0], 0xE9);

    // A cut-off three-byte sequence after a byte-order mark keeps the bytes after the mark.
    const unsigned char cut[] = {0xEF, 0xBB, 0xBF, 0x41, 0xE2, 0x82};
    testing::internal::CaptureStdout();
    String t = String::Load(cut, 6);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(t.Length(), 3);
    EXPECT_EQ(t[0], 'A');
    EXPECT_EQ(t[2], 0x82);
}

TEST(StringTest, SaveEncodesUtf8WithoutMark) {
    EXPECT_EQ(utf8(String(u"\u00e9")), "\xC3\xA9");
    EXPECT_EQ(utf8(String(u"\u20ac")), "\xE2\x82\xAC");
    EXPECT_EQ(utf8(S("abc")), "abc");

    FILE* f = std::tmpfile();
    ASSERT_TRUE(f);
    EXPECT_TRUE(String(u"x\u00e9").Save(f));
    EXPECT_TRUE(String().Save(f));
    std::rewind(f);
    String back = String::Load(f);
    std::fclose(f);
    EXPECT_TRUE(back == String(u"x\u00e9"));
}

TEST(StringTest, EveryCharacterSurvivesAUtf8RoundTrip) {
    std::vector<char16_t> all(0x10000);
    for (int i = 0; i < 0x10000; ++i) all[static_cast<size_t>(i)] = static_cast<char16_t>(i);
    String s(all.data(), 0x10000);
    std::vector<unsigned char> bytes;
    s.Save(bytes);
    String back = String::Load(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_TRUE(back == s);
}

TEST(StringTest, StringArrayHelpersCountReferences) {
    alignas(String) unsigned char storage[3 * sizeof(String)];
    String* p = reinterpret_cast<String*>(storage);
    String source[3] = {S("a"), S("b"), S("c")};
    EXPECT_EQ(t_create(3, p, source), p + 3);
    EXPECT_TRUE(p[1].SharesWith(source[1]));
    t_destroy(3, p);
    EXPECT_EQ(t_create(3, p), p + 3);
    EXPECT_EQ(p[2].Length(), 0);
    t_destroy(3, p);
}

}  // namespace

#include "platform/files/FileNameEncoding.h"

#include <gtest/gtest.h>

#include <utility>

namespace
{

// Text written as UTF-8 with "[NN]" for the byte 0xNN kept as it is, that
// is as the lone surrogate U+DC00 + 0xNN.
QString withEscapedBytes(const char *utf8)
{
    QString text;
    QByteArray run;
    for (const char *at = utf8; *at != '\0'; ++at) {
        if (at[0] == '[' && at[1] != '\0' && at[2] != '\0' && at[3] == ']') {
            text += QString::fromUtf8(std::exchange(run, {}));
            text += QChar(char16_t(0xDC00 + QByteArray(at + 1, 2).toUInt(nullptr, 16)));
            at += 3;
        } else {
            run += *at;
        }
    }
    return text + QString::fromUtf8(run);
}

struct NameCase {
    const char *label;
    QByteArray bytes; // the name on disk
    const char *text; // as decoded, in the notation of withEscapedBytes
};

void PrintTo(const NameCase &name, std::ostream *os)
{
    *os << name.label;
}

class FileNameRoundTrip : public testing::TestWithParam<NameCase>
{
};

#ifndef Q_OS_MACOS
// Every name comes back as the bytes it was; a byte that is no UTF-8 is kept
// as itself and never read as another character, least of all as '/'.
TEST_P(FileNameRoundTrip, DecodesAndEncodesBackToTheSameBytes)
{
    const NameCase &name = GetParam();
    const QString decoded = DecodeFileName(name.bytes);
    EXPECT_EQ(decoded, withEscapedBytes(name.text));
    EXPECT_EQ(EncodeFileName(decoded).toHex(' ').toStdString(),
              name.bytes.toHex(' ').toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Names, FileNameRoundTrip,
    testing::Values(NameCase{"Ascii", "report 1.ps", "report 1.ps"},
                    NameCase{"Utf8", "Gr\303\274\303\237e \342\202\254.ps", "Grüße €.ps"},
                    NameCase{"Utf8OutsideTheBmp", "\xf0\x9f\x93\x84.ps", "\xf0\x9f\x93\x84.ps"},
                    NameCase{"Latin1", "caf\xe9.ps", "caf[E9].ps"},
                    NameCase{"LoneLeadByteAtTheEnd", "x.ps\xc3", "x.ps[C3]"},
                    NameCase{"CutShortBeforeAnAsciiByte", "\xe2\x82.ps", "[E2][82].ps"},
                    NameCase{"StrayContinuationByte", "a\200b", "a[80]b"},
                    NameCase{"OverlongSlash", "a\300\257b", "a[C0][AF]b"},
                    NameCase{"EncodedSurrogate", "\xed\xb3\xa9", "[ED][B3][A9]"},
                    NameCase{"BeyondUnicode", "\xf4\x90\x80\x80", "[F4][90][80][80]"},
                    NameCase{"Mixed", "\xc3\xa9\xe9-\xf0\x9f\x93\x84\xff.eps",
                             "\xc3\xa9[E9]-\xf0\x9f\x93\x84[FF].eps"}),
    [](const auto &info) { return std::string(info.param.label); });

// A lone surrogate that stands for no byte (no decoded name holds one) does
// not become a byte of its choosing: U+DC2F is no '/', U+DC00 no NUL.
TEST(FileNameEncoding, OtherLoneSurrogatesBecomeTheReplacementCharacter)
{
    for (const char16_t unit : {u'\xDC2F', u'\xDC00', u'\xD800', u'\xDBFF'}) {
        const QString name = QStringLiteral("a") + QChar(unit) + QStringLiteral("b");
        EXPECT_EQ(EncodeFileName(name), QByteArray("a\357\277\275b")) << int(unit);
    }
}
#endif

TEST(FileNameEncoding, AbsoluteNamesKeepTheirBytes)
{
    const QString name = DecodeFileName("caf\xe9.ps");
    EXPECT_EQ(AbsoluteFileName(QStringLiteral("/a/./b/../") + name), QStringLiteral("/a/") + name);
    const QString relative = AbsoluteFileName(name);
    EXPECT_TRUE(relative.startsWith(QLatin1Char('/')));
    EXPECT_TRUE(relative.endsWith(QLatin1Char('/') + name));
}

} // namespace

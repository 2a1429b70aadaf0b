#include "platform/files/TrustedFile.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <ostream>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using Refusal = TrustedFile::Refusal;

const QByteArray kContent = "the file that was meant";

uid_t nobodyId()
{
    const passwd *nobody = ::getpwnam("nobody");
    return nobody != nullptr ? nobody->pw_uid : uid_t(65534);
}

// What a case makes in its folder, by names relative to it.
class Place
{
public:
    explicit Place(const QString &base) : m_base(base) {}

    QString path(const QString &name) const { return m_base + QLatin1Char('/') + name; }
    void file(const QString &name) const { TestFiles::writeBytes(path(name), kContent); }
    void folder(const QString &name) const { ASSERT_TRUE(QDir().mkpath(path(name))); }
    void link(const QString &name, const QString &target) const
    {
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), encoded(name).constData()), 0);
    }
    // Hands the entry itself, a link not followed, to another user.
    void giveAway(const QString &name) const
    {
        ASSERT_EQ(::lchown(encoded(name).constData(), nobodyId(), gid_t(-1)), 0);
    }
    void fifo(const QString &name) const
    {
        ASSERT_EQ(::mkfifo(encoded(name).constData(), 0600), 0);
    }

private:
    QByteArray encoded(const QString &name) const { return QFile::encodeName(path(name)); }

    QString m_base;
};

struct OpenCase {
    const char *what = nullptr;
    std::function<void(const Place &)> make = {};
    QString path = {}; // in the case's folder, unless relative
    Refusal refusal = Refusal::None;
    int error = 0;      // for CannotOpen
    QString found = {}; // where the file is, in the folder, when opened
    bool otherUser = false;
    bool relative = false; // the path is given as it stands
};

void PrintTo(const OpenCase &test, std::ostream *os)
{
    *os << test.what;
}

class TrustedFileTest : public ::testing::TestWithParam<OpenCase>
{
};

TEST_P(TrustedFileTest, OpensOnlyWhatRootOrTheUserStandsFor)
{
    const OpenCase &test = GetParam();
    SCOPED_TRACE(test.what);
    if (test.otherUser && ::geteuid() != 0)
        GTEST_SKIP() << "needs root, to give entries to another user";
    QTemporaryDir dir;
    const QString base = QDir(dir.path()).canonicalPath();
    const Place place(base);
    test.make(place);
    if (::testing::Test::HasFatalFailure())
        return;

    const QString path = test.relative ? test.path : place.path(test.path);
    const TrustedFile opened = OpenTrustedFile(path);
    EXPECT_EQ(opened.refusal, test.refusal);
    EXPECT_EQ(opened.error, test.error) << std::strerror(opened.error);
    ASSERT_EQ(opened.file.isValid(), test.refusal == Refusal::None);
    if (!opened.file.isValid())
        return;
    EXPECT_EQ(opened.path, place.path(test.found));
    char read[64] = {};
    EXPECT_EQ(::read(opened.file.get(), read, sizeof read), kContent.size());
    EXPECT_EQ(QByteArray(read), kContent);
    // Not left to a program this one starts, unless handed to it, and
    // blocking as usual for whoever is handed it.
    EXPECT_EQ(::fcntl(opened.file.get(), F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    EXPECT_EQ(::fcntl(opened.file.get(), F_GETFL) & O_NONBLOCK, 0);
}

QString chainOf(const Place &place, int links)
{
    place.file(QStringLiteral("font"));
    QString target = QStringLiteral("font");
    for (int i = 0; i < links; ++i) {
        const QString name = QStringLiteral("l%1").arg(i);
        place.link(name, target);
        target = name;
    }
    return target;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrustedFileTest,
    ::testing::Values(OpenCase{.what = "a file of the user's",
                               .make = [](const Place &p) { p.file("font"); },
                               .path = "font",
                               .found = "font"},
                      OpenCase{.what = "the user's link",
                               .make =
                                   [](const Place &p) {
                                       p.file("font");
                                       p.link("evil.ttf", "font");
                                   },
                               .path = "evil.ttf",
                               .found = "font"},
                      OpenCase{.what = "another user's link to a file of the user's",
                               .make =
                                   [](const Place &p) {
                                       p.file("font");
                                       p.link("evil.ttf", "font");
                                       p.giveAway("evil.ttf");
                                   },
                               .path = "evil.ttf",
                               .refusal = Refusal::ForeignLink,
                               .otherUser = true},
                      OpenCase{.what = "another user's file",
                               .make =
                                   [](const Place &p) {
                                       p.file("font");
                                       p.giveAway("font");
                                   },
                               .path = "font",
                               .refusal = Refusal::ForeignFile,
                               .otherUser = true},
                      OpenCase{.what = "the user's link to another user's file",
                               .make =
                                   [](const Place &p) {
                                       p.file("font");
                                       p.giveAway("font");
                                       p.link("evil.ttf", "font");
                                   },
                               .path = "evil.ttf",
                               .refusal = Refusal::ForeignFile,
                               .otherUser = true},
                      OpenCase{.what = "the user's link to a folder on the way",
                               .make =
                                   [](const Place &p) {
                                       p.folder("fonts");
                                       p.file("fonts/font");
                                       p.link("shared", "fonts");
                                   },
                               .path = "shared/font",
                               .found = "fonts/font"},
                      OpenCase{.what = "another user's link to a folder on the way",
                               .make =
                                   [](const Place &p) {
                                       p.folder("fonts");
                                       p.file("fonts/font");
                                       p.link("shared", "fonts");
                                       p.giveAway("shared");
                                   },
                               .path = "shared/font",
                               .refusal = Refusal::ForeignLink,
                               .otherUser = true},
                      OpenCase{.what = "a chain: absolute, relative upwards, relative",
                               .make =
                                   [](const Place &p) {
                                       p.file("font");
                                       p.folder("a/b");
                                       p.link("start", p.path("a/b/middle"));
                                       p.link("a/b/middle", "../../end");
                                       p.link("end", "./font");
                                   },
                               .path = "start",
                               .found = "font"},
                      OpenCase{.what = "forty links, as many as the system follows",
                               .make = [](const Place &p) { chainOf(p, 40); },
                               .path = "l39",
                               .found = "font"},
                      OpenCase{.what = "forty-one links",
                               .make = [](const Place &p) { chainOf(p, 41); },
                               .path = "l40",
                               .refusal = Refusal::CannotOpen,
                               .error = ELOOP},
                      OpenCase{.what = "a loop",
                               .make =
                                   [](const Place &p) {
                                       p.link("a", "b");
                                       p.link("b", "a");
                                   },
                               .path = "a",
                               .refusal = Refusal::CannotOpen,
                               .error = ELOOP},
                      OpenCase{.what = "a FIFO, which would hold the open",
                               .make = [](const Place &p) { p.fifo("font"); },
                               .path = "font",
                               .refusal = Refusal::NotRegularFile},
                      OpenCase{.what = "a device behind the user's link",
                               .make = [](const Place &p) { p.link("font", "/dev/null"); },
                               .path = "font",
                               .refusal = Refusal::NotRegularFile},
                      OpenCase{.what = "a folder",
                               .make = [](const Place &p) { p.folder("font.ttf"); },
                               .path = "font.ttf",
                               .refusal = Refusal::NotRegularFile},
                      OpenCase{.what = "nothing there",
                               .make = [](const Place &) {},
                               .path = "font",
                               .refusal = Refusal::CannotOpen,
                               .error = ENOENT},
                      OpenCase{.what = "a file taken for a folder",
                               .make = [](const Place &p) { p.file("font"); },
                               .path = "font/x",
                               .refusal = Refusal::CannotOpen,
                               .error = ENOTDIR},
                      OpenCase{.what = "a relative path",
                               .make = [](const Place &) {},
                               .path = "font",
                               .refusal = Refusal::CannotOpen,
                               .error = EINVAL,
                               .relative = true}),
    [](const auto &info) { return "case" + std::to_string(info.index); });

} // namespace

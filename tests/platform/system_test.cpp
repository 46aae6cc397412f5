// The program's layouts and the serial-access check behind the administrator warning.
#include "platform/library.h"
#include "platform/system.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

TEST(Layout, BuildTreeAndInstallation)
{
    QTemporaryDir root;
    const QString r = root.path();
    ASSERT_TRUE(QDir().mkpath(r + QStringLiteral("/build/bin")));
    ASSERT_TRUE(QDir().mkpath(r + QStringLiteral("/usr/bin")));
    ASSERT_TRUE(QDir().mkpath(r + QStringLiteral("/usr/share/lorikws")));
    ASSERT_TRUE(QDir().mkpath(r + QStringLiteral("/opt/bin")));
    ASSERT_TRUE(QDir().mkpath(r + QStringLiteral("/opt/lib"))); // libraries alone make no installation

    const struct {
        const char* bin;
        bool installed;
        QString libraries, data;
    } rows[] = {
        {"/build/bin", false, r + QStringLiteral("/build/bin"), r + QStringLiteral("/build/bin")},
        {"/usr/bin", true, r + QStringLiteral("/usr/" LORIK_INSTALL_LIBDIR),
         r + QStringLiteral("/usr/share/lorikws")},
        {"/opt/bin", false, r + QStringLiteral("/opt/bin"), r + QStringLiteral("/opt/bin")},
    };
    for (const auto& row : rows) {
        const Layout l = LayoutOf(r + QLatin1String(row.bin));
        EXPECT_EQ(l.installed, row.installed) << row.bin;
        EXPECT_EQ(l.programDir, r + QLatin1String(row.bin)) << row.bin;
        EXPECT_EQ(l.libraryDir, row.libraries) << row.bin;
        EXPECT_EQ(l.dataDir, row.data) << row.bin;
    }
}

// As an ordinary user (nobody, in no group that owns the devices): a device that opens read-write
// (a uaccess ACL does the same as the mode bits here) is enough; a device owned by the user's group
// counts as before; a device the user cannot open is not.
TEST(SerialAccess, ADeviceTheUserCanOpenOrItsGroup)
{
    if (geteuid() != 0) GTEST_SKIP() << "needs root to check as another user";
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const gid_t users = nobody->pw_gid;

    struct Device {
        const char* name;
        mode_t mode;
        gid_t group;
    };
    const struct {
        const char* what;
        std::vector<Device> devices;
        bool expected;
    } rows[] = {
        {"read-write for everyone", {{"ttyUSB0", 0666, 0}}, true},
        {"root's only", {{"ttyUSB0", 0600, 0}}, false},
        {"read only", {{"ttyUSB0", 0644, 0}}, false},
        {"one of two opens", {{"ttyUSB0", 0600, 0}, {"ttyACM0", 0666, 0}}, true},
        {"owned by the user's group", {{"ttyUSB0", 0600, users}}, true},
        {"no device, not in dialout", {}, false},
    };
    for (const auto& row : rows) {
        QTemporaryDir dev;
        ASSERT_EQ(chmod(QFile::encodeName(dev.path()).constData(), 0755), 0);
        for (const Device& d : row.devices) {
            const QByteArray path = QFile::encodeName(dev.path() + QLatin1Char('/') + QLatin1String(d.name));
            QFile f(QString::fromLocal8Bit(path));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.close();
            ASSERT_EQ(chown(path.constData(), 0, d.group), 0);
            ASSERT_EQ(chmod(path.constData(), d.mode), 0);
        }
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                _exit(2);
            _exit(CanOpenSerialDevices(dev.path()) ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << row.what;
        ASSERT_NE(WEXITSTATUS(status), 2) << row.what << ": cannot become nobody";
        EXPECT_EQ(WEXITSTATUS(status) == 1, row.expected) << row.what;
    }
}

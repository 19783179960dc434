// The serial set-up of an NMEA line, on a pseudo-terminal.

#include "NmeaLine.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace sotrix {
namespace {

// A pseudo-terminal pair; the slave is named by its path only.
struct Pty {
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) slave = QString::fromLocal8Bit(::ptsname(master));
    }
    ~Pty() {
        if (master >= 0) ::close(master);
    }
    termios slaveSettings() const {
        termios tio{};
        const int fd = ::open(QFile::encodeName(slave).constData(), O_RDWR | O_NOCTTY);
        ::tcgetattr(fd, &tio);
        ::close(fd);
        return tio;
    }
    int master = -1;
    QString slave;
};

TEST(NmeaLine, DownloadLineIsRawAndEndsAfterThreeSecondsOfSilence) {
    Pty pty;
    ASSERT_FALSE(pty.slave.isEmpty());
    // Another opener keeps the settings alive after the line is closed, as a real port does.
    const int keeper = ::open(QFile::encodeName(pty.slave).constData(), O_RDWR | O_NOCTTY);
    {
        NmeaLine line(pty.slave, 4, true);
        EXPECT_TRUE(line.isSetUp());
        const termios tio = pty.slaveSettings();
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_cc[VTIME], 30);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_NE(tio.c_cflag & CLOCAL, 0u);
        EXPECT_NE(tio.c_cflag & CREAD, 0u);
        EXPECT_EQ(::cfgetispeed(&tio), B9600);
        EXPECT_EQ(::cfgetospeed(&tio), B9600);
    }
    ::close(keeper);
}

TEST(NmeaLine, UploadLineAndSpeedOutsideTheRange) {
    Pty pty;
    ASSERT_FALSE(pty.slave.isEmpty());
    NmeaLine line(pty.slave, 0, false);
    EXPECT_TRUE(line.isSetUp());
    const termios tio = pty.slaveSettings();
    EXPECT_EQ(tio.c_lflag & ICANON, 0u);
    EXPECT_EQ(::cfgetospeed(&tio), B4800);
}

TEST(NmeaLine, FilesAndMissingDevicesAreLeftAlone) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("log.nmea"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("$GPWPL\r\n");
    f.close();
    EXPECT_FALSE(NmeaLine(file, 3, true).isSetUp());
    EXPECT_EQ(QFile(file).size(), 8);
    EXPECT_FALSE(NmeaLine(dir.filePath(QStringLiteral("absent")), 3, true).isSetUp());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("absent"))));
}

}  // namespace
}  // namespace sotrix

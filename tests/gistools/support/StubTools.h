#pragma once
// Stand-ins for outside programs: shell scripts in a folder of their own, put first on
// PATH for the life of the object (PATH is restored afterwards). Each stub records the
// arguments of its last run, one per line, in "<name>.args", appends "start" and "end"
// lines with the time to "<name>.runs", then runs its body. In the body, $STUBS is the
// stubs' folder, $OUT the argument after "-o" (where a renderer writes), and
// "$STUBS/image.png" a small picture ready to be copied there.

#include <QString>
#include <QStringList>

#include <QTemporaryDir>

namespace sotrix::test {

class StubTools {
public:
    StubTools();
    ~StubTools();
    StubTools(const StubTools&) = delete;
    StubTools& operator=(const StubTools&) = delete;

    const QString& folder() const { return folder_; }
    // Writes the stub named name with the shell body.
    void add(const QString& name, const QString& body);
    // PATH holds the stubs' folder alone: no real program is found.
    void hideRealTools();
    // The arguments of the stub's last run; empty when it never ran.
    QStringList arguments(const QString& name) const;
    // Its "start" and "end" lines, in order, each with the time in nanoseconds.
    QStringList runs(const QString& name) const;

    // Bodies for a renderer: write the picture, exit 1 after writing it, write nothing,
    // write it with a MapServer error on standard error, sleep then write it.
    static QString writesImage();
    static QString failsAfterImage();
    static QString writesNothing();
    static QString imageWithError();
    static QString sleepsThenWritesImage(double seconds);

private:
    QTemporaryDir dir_;
    QString folder_;
    QByteArray savedPath_;
};

}  // namespace sotrix::test

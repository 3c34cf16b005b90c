// A tiny tmpfs mounted for one test, to see what the program does on a full disk, and the rights to mount it.
#pragma once

#include <QString>

namespace glyfex::test {

// A tmpfs of `size` bytes mounted on a new folder under the system's temporary folder; the destructor
// unmounts it and removes the folder. Mounting needs root (or root of a user namespace): see
// GLYFEX_NEED_MOUNT_RIGHTS below.
class TinyTmpfs {
public:
    explicit TinyTmpfs(qint64 size);
    ~TinyTmpfs();
    TinyTmpfs(const TinyTmpfs &) = delete;
    TinyTmpfs &operator=(const TinyTmpfs &) = delete;

    bool isMounted() const { return m_mounted; }
    // The mount point (empty when nothing could be made), and why mounting failed.
    const QString &path() const { return m_path; }
    const QString &error() const { return m_error; }

    // Fills the file system with a file at fillerPath until exactly `room` bytes (a multiple of the
    // page size) are free. Returns an empty string, or why it could not.
    QString fillLeaving(const QString &fillerPath, qint64 room) const;
    // The bytes an unprivileged writer may still use.
    qint64 freeBytes() const;

private:
    QString m_path;
    QString m_error;
    bool m_mounted = false;
};

// Where the body of a test that mounts should run.
struct MountRights {
    enum Kind {
        Here,        // this process may mount
        RanInChild,  // the test ran again in a user and mount namespace; exitCode and output tell how
        Unavailable, // neither: why says so
    } kind = Unavailable;
    QString why;
    int exitCode = 0;
    QString output;
};

// Here when this process can mount a tmpfs (it is root with the right to mount); otherwise the current
// test is run again by `unshare -rm`, in a new user and mount namespace where it is root, unless this
// process is already such a child or unshare is refused.
MountRights mountRights();

} // namespace glyfex::test

// The first statement of a test that mounts: the body goes on only where mounting is allowed; a test
// rerun in a namespace passes or fails with its child, and without any way to mount the test is skipped.
#define GLYFEX_NEED_MOUNT_RIGHTS()                                                                       \
    do {                                                                                                 \
        const ::glyfex::test::MountRights rights_ = ::glyfex::test::mountRights();                       \
        if (rights_.kind == ::glyfex::test::MountRights::Unavailable)                                    \
            GTEST_SKIP() << "cannot mount a tiny tmpfs: " << rights_.why.toStdString();                  \
        if (rights_.kind == ::glyfex::test::MountRights::RanInChild) {                                   \
            EXPECT_EQ(rights_.exitCode, 0) << rights_.output.toStdString();                              \
            if (rights_.exitCode == 0 && rights_.output.contains(QLatin1String("[  SKIPPED ]")))         \
                GTEST_SKIP() << "skipped in the namespace: " << rights_.output.toStdString();            \
            return;                                                                                      \
        }                                                                                                \
    } while (false)

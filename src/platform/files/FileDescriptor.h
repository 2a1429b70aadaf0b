#pragma once

#include <QString>

#include <utility>

// An open file descriptor of this process, closed when the object goes.
class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor) : m_descriptor(descriptor) {}
    FileDescriptor(FileDescriptor &&other) noexcept
        : m_descriptor(std::exchange(other.m_descriptor, -1))
    {
    }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_descriptor = std::exchange(other.m_descriptor, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return m_descriptor; }
    bool isValid() const { return m_descriptor >= 0; }
    // Gives the descriptor up without closing it.
    int release() { return std::exchange(m_descriptor, -1); }
    void reset();

private:
    int m_descriptor = -1;
};

// Why OpenRegularFile gave nothing.
struct OpenFailure {
    enum class Kind { None, CannotOpen, Folder, NotRegularFile } kind = Kind::None;
    int error = 0; // errno, for CannotOpen
};

// Opens a document for reading, once, and checks what was opened: a regular
// file, not a folder, FIFO, socket or device. The open neither waits (a FIFO
// with no writer) nor makes a terminal the controlling one. Every later read,
// rule and hand-over of the document goes through the returned descriptor,
// so a name swapped for another file meanwhile changes nothing. The last
// link of path is followed: a document may be reached through a link of the
// user's own. Invalid on failure, with the reason in failure.
// With linksRefused, a link at path is not followed (it fails with ELOOP).
FileDescriptor OpenRegularFile(const QString &path, OpenFailure *failure,
                               bool linksRefused = false);

// The size of the open file, or -1.
qint64 FileSize(int descriptor);

// The permission bits a new file gets here: 0666 without the process's
// creation mask. The mask is read once, the first time; reading it means
// setting it for a moment, and files another thread creates meanwhile would
// get that moment's mask.
unsigned NewFileMode();

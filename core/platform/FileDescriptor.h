#pragma once

// Owns a file descriptor and closes it when it goes out of scope, so that every path out
// of a function gives it back. A negative number holds nothing.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor = -1)
        : m_descriptor(descriptor)
    {
    }
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_descriptor; }
    bool isOpen() const { return m_descriptor >= 0; }

    // Closes what it held and holds the new descriptor.
    void reset(int descriptor = -1);

    // Closes now, so that a failing close (a delayed write error on some file systems)
    // is seen; returns errno or 0.
    int close();

private:
    int m_descriptor;
};

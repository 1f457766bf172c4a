#include "platform/FileDescriptor.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

FileDescriptor::~FileDescriptor()
{
    reset();
}

void FileDescriptor::reset(int descriptor)
{
    if (const int previous = std::exchange(m_descriptor, descriptor); previous >= 0)
        ::close(previous);
}

int FileDescriptor::close()
{
    const int result = ::close(std::exchange(m_descriptor, -1));
    return result == 0 ? 0 : errno;
}

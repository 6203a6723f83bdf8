#include "updater/MspackFileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace updater {

// What libmspack's opaque mspack_file stands for here.
struct MspackFileSystem::OpenFile
{
    std::FILE* handle;
    std::string path;
    bool writing;
    MspackFileSystem* owner;
};

namespace {

template <typename File> File* As(mspack_file* file)
{
    return reinterpret_cast<File*>(file);
}

} // namespace

MspackFileSystem::MspackFileSystem() : m_table{}
{
    m_table.open = Open;
    m_table.close = Close;
    m_table.read = Read;
    m_table.write = Write;
    m_table.seek = Seek;
    m_table.tell = Tell;
    m_table.message = Message;
    m_table.alloc = Alloc;
    m_table.free = Free;
    m_table.copy = Copy;
    m_table.null_ptr = nullptr;
    m_table.owner = this;
}

void MspackFileSystem::recordFailure(const char* action, const std::string& path, int errorNumber)
{
    if (m_failure.empty())
        m_failure = std::string("cannot ") + action + " " + path + ": " + std::strerror(errorNumber);
}

mspack_file* MspackFileSystem::Open(mspack_system* self, const char* path, int mode)
{
    const char* modes[] = {"rb", "wb", "r+b", "ab"};
    if (mode < MSPACK_SYS_OPEN_READ || mode > MSPACK_SYS_OPEN_APPEND)
        return nullptr;
    MspackFileSystem* owner = static_cast<Table*>(self)->owner;
    std::FILE* handle = std::fopen(path, modes[mode]);
    if (handle == nullptr) {
        owner->recordFailure("open", path, errno);
        return nullptr;
    }
    // Called from C: nothing may throw through it.
    try {
        return reinterpret_cast<mspack_file*>(
            new OpenFile{handle, path, mode != MSPACK_SYS_OPEN_READ, owner});
    } catch (const std::bad_alloc&) {
        std::fclose(handle);
        return nullptr;
    }
}

void MspackFileSystem::Close(mspack_file* mspackFile)
{
    OpenFile* file = As<OpenFile>(mspackFile);
    if (file == nullptr)
        return;
    // Buffered data reaches the disk here: a full disk may first show now.
    if (std::fclose(file->handle) != 0 && file->writing)
        file->owner->recordFailure("write", file->path, errno);
    delete file;
}

int MspackFileSystem::Read(mspack_file* mspackFile, void* buffer, int bytes)
{
    OpenFile* file = As<OpenFile>(mspackFile);
    if (file == nullptr || bytes < 0)
        return -1;
    const std::size_t count = std::fread(buffer, 1, static_cast<std::size_t>(bytes), file->handle);
    if (count < static_cast<std::size_t>(bytes) && std::ferror(file->handle)) {
        file->owner->recordFailure("read", file->path, errno);
        return -1;
    }
    return static_cast<int>(count);
}

int MspackFileSystem::Write(mspack_file* mspackFile, void* buffer, int bytes)
{
    OpenFile* file = As<OpenFile>(mspackFile);
    if (file == nullptr || bytes < 0)
        return -1;
    const std::size_t count = std::fwrite(buffer, 1, static_cast<std::size_t>(bytes), file->handle);
    if (count < static_cast<std::size_t>(bytes)) {
        file->owner->recordFailure("write", file->path, errno);
        return -1;
    }
    return static_cast<int>(count);
}

int MspackFileSystem::Seek(mspack_file* mspackFile, off_t offset, int mode)
{
    OpenFile* file = As<OpenFile>(mspackFile);
    int origin = SEEK_SET;
    if (mode == MSPACK_SYS_SEEK_CUR)
        origin = SEEK_CUR;
    else if (mode == MSPACK_SYS_SEEK_END)
        origin = SEEK_END;
    else if (mode != MSPACK_SYS_SEEK_START)
        return -1;
    return file != nullptr && std::fseek(file->handle, static_cast<long>(offset), origin) == 0 ? 0 : -1;
}

off_t MspackFileSystem::Tell(mspack_file* mspackFile)
{
    OpenFile* file = As<OpenFile>(mspackFile);
    return file != nullptr ? static_cast<off_t>(std::ftell(file->handle)) : -1;
}

// libmspack's warnings about odd but readable archives; the updater has no one to show them to.
void MspackFileSystem::Message(mspack_file*, const char*, ...) {}

void* MspackFileSystem::Alloc(mspack_system*, std::size_t bytes)
{
    return std::malloc(bytes);
}

void MspackFileSystem::Free(void* pointer)
{
    std::free(pointer);
}

void MspackFileSystem::Copy(void* source, void* destination, std::size_t bytes)
{
    std::memmove(destination, source, bytes);
}

} // namespace updater

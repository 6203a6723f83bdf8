#pragma once

#include <mspack.h>
#include <string>

namespace updater {

/// The file access that libmspack is given: standard C files, like its own, but every failed
/// open, read, write or close is kept with the system's reason. libmspack reports a full disk as
/// a bare "write error" and never learns of a failed close at all.
class MspackFileSystem
{
public:
    MspackFileSystem();
    MspackFileSystem(const MspackFileSystem&) = delete;
    MspackFileSystem& operator=(const MspackFileSystem&) = delete;

    /// For mspack_create_..._decompressor; valid as long as this object.
    mspack_system* system() { return &m_table; }
    /// The first failure, as "cannot write FILE: reason"; empty when there was none.
    const std::string& failure() const { return m_failure; }

private:
    struct Table : mspack_system
    {
        MspackFileSystem* owner;
    };
    struct OpenFile;

    void recordFailure(const char* action, const std::string& path, int errorNumber);

    static mspack_file* Open(mspack_system* self, const char* path, int mode);
    static void Close(mspack_file* file);
    static int Read(mspack_file* file, void* buffer, int bytes);
    static int Write(mspack_file* file, void* buffer, int bytes);
    static int Seek(mspack_file* file, off_t offset, int mode);
    static off_t Tell(mspack_file* file);
    static void Message(mspack_file* file, const char* format, ...);
    static void* Alloc(mspack_system* self, std::size_t bytes);
    static void Free(void* pointer);
    static void Copy(void* source, void* destination, std::size_t bytes);

    Table m_table;
    std::string m_failure;
};

} // namespace updater

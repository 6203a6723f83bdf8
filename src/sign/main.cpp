// vorlix-sign: the publisher's tool that makes the key pair, signs a release's control file and
// prints the digests its file entries carry. libsodium and POSIX only, so that it builds and runs
// on a publishing machine without Qt.
#include <sodium.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage: vorlix-sign keygen KEYFILE      make a key pair: write the secret key to KEYFILE\n"
    "                                       (mode 0600, never over an existing file) and print\n"
    "                                       the public key\n"
    "       vorlix-sign public KEYFILE      print the public key of the secret key in KEYFILE\n"
    "       vorlix-sign sign KEYFILE FILE   write FILE.sig, the signature of FILE's exact bytes\n"
    "       vorlix-sign digest FILE         print the SHA-256 digest of FILE in lower-case hex\n"
    "\n"
    "KEYFILE holds the 64-byte Ed25519 secret key as one line of standard base64; keep it private.\n"
    "The public key (32 bytes) and FILE.sig (64 bytes) are one line of standard base64 each.\n"
    "Exit status: 0 done, 1 failed, 2 wrong usage.\n";

int usage(const char* problem)
{
    std::fprintf(stderr, "vorlix-sign: %s\n%s", problem, kUsageText);
    return kUsage;
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "vorlix-sign: %s\n", message.c_str());
    return kFailed;
}

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

// Wipes the secret key from memory however the command ends.
struct SecretKey
{
    unsigned char bytes[crypto_sign_SECRETKEYBYTES];
    ~SecretKey() { sodium_memzero(bytes, sizeof bytes); }
};

bool readFile(const std::string& path, std::string& content, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError("cannot read", path);
        return false;
    }
    content.clear();
    char block[64 * 1024];
    for (;;) {
        const ssize_t read = ::read(fd, block, sizeof block);
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0) {
            error = systemError("cannot read", path);
            ::close(fd);
            return false;
        }
        if (read == 0)
            break;
        content.append(block, size_t(read));
    }
    ::close(fd);
    return true;
}

bool writeAll(int fd, const std::string& content)
{
    size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        written += size_t(n);
    }
    return ::fsync(fd) == 0;
}

// A temporary file beside path, so that it can take path's name in one step.
int createBeside(const std::string& path, std::string& temporary)
{
    std::vector<char> name(path.begin(), path.end());
    const std::string suffix = ".XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    temporary = name.data();
    return fd;
}

// Writes a new file readable by its owner only; an existing file, even a dangling link, is left
// as it is and refused. The content appears whole or not at all.
bool writeNewPrivateFile(const std::string& path, const std::string& content, std::string& error)
{
    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0) {
        error = path + " exists already; it is not overwritten (move it away or choose another name)";
        return false;
    }
    std::string temporary;
    const int fd = createBeside(path, temporary);
    if (fd < 0) {
        error = systemError("cannot write", path);
        return false;
    }
    const bool written = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && writeAll(fd, content);
    const int writeErrno = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        errno = writeErrno;
        error = systemError("cannot write", path);
        return false;
    }
    // link() never replaces an existing name, so a key file that appeared meanwhile survives too.
    const bool linked = ::link(temporary.c_str(), path.c_str()) == 0;
    const int linkErrno = errno;
    ::unlink(temporary.c_str());
    if (!linked) {
        errno = linkErrno;
        error = linkErrno == EEXIST
                    ? path + " exists already; it is not overwritten (move it away or choose another name)"
                    : systemError("cannot write", path);
        return false;
    }
    return true;
}

// Writes or replaces a file with the usual permissions; an old file stays whole until the new one
// is complete.
bool replaceFile(const std::string& path, const std::string& content, std::string& error)
{
    std::string temporary;
    const int fd = createBeside(path, temporary);
    if (fd < 0) {
        error = systemError("cannot write", path);
        return false;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool written = ::fchmod(fd, 0666 & ~mask) == 0 && writeAll(fd, content);
    const int writeErrno = errno;
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int failure = written ? errno : writeErrno;
        ::unlink(temporary.c_str());
        errno = failure;
        error = systemError("cannot write", path);
        return false;
    }
    return true;
}

std::string toBase64(const unsigned char* bytes, size_t size)
{
    std::string text(sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes, size, sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1); // the terminating NUL
    return text;
}

std::string trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Reads KEYFILE and checks that its public half belongs to its seed, so that a damaged key file
// never yields signatures that no program accepts.
bool readSecretKey(const std::string& path, SecretKey& key, std::string& error)
{
    std::string content;
    if (!readFile(path, content, error))
        return false;
    const std::string text = trimmed(content);
    sodium_memzero(content.data(), content.size());
    size_t length = 0;
    const bool decoded =
        !text.empty() && sodium_base642bin(key.bytes, sizeof key.bytes, text.data(), text.size(), nullptr,
                                           &length, nullptr, sodium_base64_VARIANT_ORIGINAL) == 0;
    if (!decoded || length != crypto_sign_SECRETKEYBYTES) {
        error = path + " is not a vorlix-sign secret key file (one line of base64 of 64 bytes)";
        return false;
    }
    SecretKey derived;
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    crypto_sign_seed_keypair(publicKey, derived.bytes, key.bytes);
    if (sodium_memcmp(derived.bytes, key.bytes, sizeof key.bytes) != 0) {
        error = path + " is damaged: its public half does not belong to its secret half";
        return false;
    }
    struct stat status;
    if (::stat(path.c_str(), &status) == 0 && (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        std::fprintf(stderr, "vorlix-sign: warning: %s can be read by others; keep it at mode 0600\n",
                     path.c_str());
    return true;
}

std::string publicKeyText(const SecretKey& key)
{
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    crypto_sign_ed25519_sk_to_pk(publicKey, key.bytes);
    return toBase64(publicKey, sizeof publicKey);
}

int keygen(const std::string& keyFile)
{
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    SecretKey key;
    crypto_sign_keypair(publicKey, key.bytes);
    std::string content = toBase64(key.bytes, sizeof key.bytes) + "\n";
    std::string error;
    const bool written = writeNewPrivateFile(keyFile, content, error);
    sodium_memzero(content.data(), content.size());
    if (!written)
        return fail(error);
    std::printf("%s\n", toBase64(publicKey, sizeof publicKey).c_str());
    return kDone;
}

int printPublicKey(const std::string& keyFile)
{
    SecretKey key;
    std::string error;
    if (!readSecretKey(keyFile, key, error))
        return fail(error);
    std::printf("%s\n", publicKeyText(key).c_str());
    return kDone;
}

int sign(const std::string& keyFile, const std::string& file)
{
    SecretKey key;
    std::string error;
    if (!readSecretKey(keyFile, key, error))
        return fail(error);
    std::string content;
    if (!readFile(file, content, error))
        return fail(error);
    unsigned char signature[crypto_sign_BYTES];
    crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(content.data()),
                         content.size(), key.bytes);
    const std::string signatureFile = file + ".sig";
    if (!replaceFile(signatureFile, toBase64(signature, sizeof signature) + "\n", error))
        return fail(error);
    std::printf("wrote %s\n", signatureFile.c_str());
    return kDone;
}

int digest(const std::string& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(systemError("cannot read", file));
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    unsigned char block[64 * 1024];
    for (;;) {
        const ssize_t read = ::read(fd, block, sizeof block);
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0) {
            const std::string error = systemError("cannot read", file);
            ::close(fd);
            return fail(error);
        }
        if (read == 0)
            break;
        crypto_hash_sha256_update(&state, block, size_t(read));
    }
    ::close(fd);
    unsigned char hash[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&state, hash);
    char hex[2 * crypto_hash_sha256_BYTES + 1];
    sodium_bin2hex(hex, sizeof hex, hash, sizeof hash);
    std::printf("%s\n", hex);
    return kDone;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return usage("no command given");
    const std::string& command = arguments.front();
    if (command == "--help" || command == "-h" || command == "help") {
        std::printf("%s", kUsageText);
        return kDone;
    }
    const size_t operands = arguments.size() - 1;
    const bool known = command == "keygen" || command == "public" || command == "sign" || command == "digest";
    if (!known)
        return usage(("unknown command \"" + command + "\"").c_str());
    if (operands != (command == "sign" ? 2u : 1u))
        return usage(("wrong number of arguments for " + command).c_str());
    for (size_t i = 1; i < arguments.size(); ++i)
        if (arguments[i].empty())
            return usage("an empty file name");
    if (sodium_init() < 0)
        return fail("the signature library could not be started");

    if (command == "keygen")
        return keygen(arguments[1]);
    if (command == "public")
        return printPublicKey(arguments[1]);
    if (command == "sign")
        return sign(arguments[1], arguments[2]);
    return digest(arguments[1]);
}

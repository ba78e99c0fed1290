#include "util/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

bool writeAll(int fd, const Bytes& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool AtomicFile::write(const std::string& path, const Bytes& data) {
    bool existed = false;
    return publish(path, data, true, existed);
}

AtomicFile::Created AtomicFile::create(const std::string& path, const Bytes& data) {
    bool existed = false;
    if (publish(path, data, false, existed)) return Created::Yes;
    return existed ? Created::Exists : Created::Failed;
}

bool AtomicFile::publish(const std::string& path, const Bytes& data, bool replace, bool& existed) {
    auto slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return false;
    if (folder.empty()) folder = "/";

    std::string tmpl = folder + "/." + name + ".XXXXXX";
    std::vector<char> tmpPath(tmpl.begin(), tmpl.end());
    tmpPath.push_back('\0');
    int fd = mkostemp(tmpPath.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0) return false;

    bool ok = writeAll(fd, data) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok && replace) {
        ok = rename(tmpPath.data(), path.c_str()) == 0;
    } else if (ok) {
        // link() refuses an existing name, so two writers can never take the same one.
        ok = link(tmpPath.data(), path.c_str()) == 0;
        existed = !ok && errno == EEXIST;
    }
    unlink(tmpPath.data());  // after a rename there is nothing left to remove
    if (!ok) return false;
    // Make the new name durable; a failure here does not undo the write.
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

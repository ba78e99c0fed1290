#include "util/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// Temporary files are named ".norvale-<pid>-<target name>.XXXXXX": the prefix tells them
// from the user's own files, the process ID whether their writer may still be at work.
constexpr std::string_view kTempPrefix = ".norvale-";

// The writer's process ID when the name is one of our temporary files, else 0.
pid_t writerOf(std::string_view name) {
    if (name.substr(0, kTempPrefix.size()) != kTempPrefix) return 0;
    name.remove_prefix(kTempPrefix.size());
    long long pid = 0;
    std::size_t digits = 0;
    while (digits < name.size() && digits < 10 && name[digits] >= '0' && name[digits] <= '9') {
        pid = pid * 10 + (name[digits++] - '0');
    }
    if (digits == 0 || digits >= name.size() || name[digits] != '-' || pid <= 0 ||
        pid > 0x7fffffff) {
        return 0;
    }
    return static_cast<pid_t>(pid);
}

// Removes what a killed write left in the folder: our temporary files whose writer no longer
// runs. A file of a live writer, this process included, is never touched.
void removeAbandoned(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    const int dirFd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const pid_t writer = writerOf(entry->d_name);
        if (writer == 0 || writer == getpid()) continue;
        if (kill(writer, 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
            continue;
        }
        unlinkat(dirFd, entry->d_name, 0);
    }
    closedir(dir);
}

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

bool AtomicFile::write(const std::string& path, const Bytes& data, const Check& check) {
    bool existed = false;
    return publish(path, data, true, check, existed);
}

AtomicFile::Created AtomicFile::create(const std::string& path, const Bytes& data) {
    bool existed = false;
    if (publish(path, data, false, {}, existed)) return Created::Yes;
    return existed ? Created::Exists : Created::Failed;
}

bool AtomicFile::publish(const std::string& path, const Bytes& data, bool replace,
                         const Check& check, bool& existed) {
    auto slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return false;
    if (folder.empty()) folder = "/";

    std::string tmpl =
        folder + "/" + std::string(kTempPrefix) + std::to_string(getpid()) + "-" + name + ".XXXXXX";
    std::vector<char> tmpPath(tmpl.begin(), tmpl.end());
    tmpPath.push_back('\0');
    int fd = mkostemp(tmpPath.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0) return false;

    bool ok = writeAll(fd, data) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && (!check || check(tmpPath.data()));
    if (ok && replace) {
        ok = rename(tmpPath.data(), path.c_str()) == 0;
    } else if (ok) {
        // link() refuses an existing name, so two writers can never take the same one.
        ok = link(tmpPath.data(), path.c_str()) == 0;
        existed = !ok && errno == EEXIST;
    }
    unlink(tmpPath.data());  // after a rename there is nothing left to remove
    removeAbandoned(folder);
    if (!ok) return false;
    // Make the new name durable; a failure here does not undo the write.
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

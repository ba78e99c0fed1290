#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/Desktop.h"
#include "util/AtomicFile.h"
#include "util/CommonUtility.h"
#include "util/TextCodec.h"

namespace {

std::string trimmedWithSlashes(const std::string& path) {
    const char* blanks = " \t\n\r\f\v";
    auto first = path.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    std::string out = path.substr(first, path.find_last_not_of(blanks) - first + 1);
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

// Where "folder/name" splits: the last slash, when a name follows it.
std::optional<std::size_t> lastSlashBeforeAName(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size()) return std::nullopt;
    return slash;
}

}  // namespace

// A path that does not split is its own folder and name.
std::string CommonUtility::getFolderNameFromFullPath(const std::string& path) const {
    const auto at = lastSlashBeforeAName(path);
    return at ? path.substr(0, *at) : path;
}

std::string CommonUtility::getFileNameFromFullPath(const std::string& path) const {
    const auto at = lastSlashBeforeAName(path);
    return at ? path.substr(*at + 1) : path;
}

std::string CommonUtility::getUserHomePath() const {
    return desktop_.homePath();
}

std::string CommonUtility::getDeskTopPath() const {
    return desktop_.desktopPath();
}

std::string CommonUtility::getPrivateKeyFolder() const {
    return getUserHomePath() + "/.voxa";
}

bool CommonUtility::saveFile(const std::string& path, const Bytes& fileData) const {
    return saveFile(path, fileData, {});
}

bool CommonUtility::saveFile(const std::string& path, const Bytes& fileData,
                             const std::function<bool(const std::string&)>& check) const {
    if (fileData.empty()) return false;
    const std::string normalised = trimmedWithSlashes(path);
    if (normalised.empty()) return false;
    checkAndMakeDir(getFolderNameFromFullPath(normalised));
    // Written where the folder was made: the path as given would miss it whenever it carries
    // a backslash or a blank at either end, and the save would fail.
    return writeAtomically(normalised, fileData, check);
}

bool CommonUtility::saveFile(const std::string& path, const std::string& fileStrData) const {
    auto big5 = TextCodec::utf8ToBig5(fileStrData);
    if (!big5) return false;
    return saveFile(path, *big5);
}

bool CommonUtility::writeAtomically(const std::string& path, const Bytes& data,
                                    const std::function<bool(const std::string&)>& check) const {
    if (AtomicFile::write(path, data, check)) return true;
    // The folder only: file names often carry the customer's ID number.
    log("write failed in " + getFolderNameFromFullPath(path));
    return false;
}

// Read with plain system calls, in one read sized by the file (the key cache reads a file per
// cached key): a stream reading a folder throws out of its buffer, and anything that is not a
// regular file (a folder, a FIFO that would block) is no file.
std::optional<Bytes> CommonUtility::getFile(const std::string& path) const {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    // One byte more than the size, so that the read which fills it is followed by one that
    // finds the end; a file that grows meanwhile gets more room.
    Bytes data(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t used = 0;
    bool ok = true;
    while (ok) {
        if (used == data.size()) data.resize(data.size() * 2);
        const ssize_t n = read(fd, data.data() + used, data.size() - used);
        if (n > 0) {
            used += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            ok = false;
        }
    }
    close(fd);
    if (!ok) return std::nullopt;
    data.resize(used);
    return data;
}

std::optional<std::string> CommonUtility::getFileAsStr(const std::string& path) const {
    auto data = getFile(path);
    if (!data) return std::nullopt;
    std::string text(data->begin(), data->end());
    if (!TextCodec::isValidUtf8(text)) return std::nullopt;
    return text;
}

// unlink: a file or a link goes, a folder never does, whatever the path names.
void CommonUtility::removeFile(const std::string& path) const {
    unlink(path.c_str());
}

void CommonUtility::removeFile(const std::string& folder, const std::string& filePattern) const {
    std::error_code error;
    // increment(error) rather than ++: the throwing form would end the program on a folder
    // that fails half-way through its listing.
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::string full = folder + "/" + name;
        std::error_code statError;
        if (std::filesystem::is_directory(full, statError)) continue;
        if (regexMatch(name, filePattern)) removeFile(full);
    }
}

// Owner-only folders: the folders the client makes hold keys and certificates.
void CommonUtility::checkAndMakeDir(const std::string& folder) const {
    const std::string path = trimmedWithSlashes(folder);
    if (path.empty()) return;
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty()) continue;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return;
    }
}

#include "win/file.h"

#include <algorithm>

namespace win {

namespace {
bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

bool WriteNewFile(const std::string& path, const std::string& bytes) {
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    // The data must be on disk before the rename makes it the only copy.
    return file.IsValid() && WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
}
}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".tmp";
    if (WriteNewFile(temporary, bytes) &&
        MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileA(temporary.c_str());
    return false;
}

}  // namespace win

// Pictures to and from image files, through the system's imaging component (WIC): it alone
// decodes what a file holds, so no decoder of ours ever runs on untrusted data.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "capture/picture.h"
#include "core/document_names.h"
#include "document/file_replace.h"

namespace pw {

// Files larger than this are refused before they are read, and pictures whose pixels would
// take more than kMaxPictureBytes before they are decoded.
inline constexpr uint64_t kMaxImageFileBytes = uint64_t{512} << 20;
inline constexpr uint64_t kMaxPictureBytes = uint64_t{1} << 30;

// Reads an image file: BMP, JPEG, PNG, GIF (its first frame), TIFF, whatever the system's
// imaging component decodes. A file that cannot be read as a picture (missing, a folder,
// locked, empty, not an image, damaged, too large) throws a Failure that names the file and
// says why.
Picture LoadPictureFile(const std::wstring& path);

// Decodes a whole image file held in memory; throws Failure with the cause.
Picture DecodePicture(std::span<const std::byte> file);

// The picture as the bytes of a file of the given format: 24-bit bottom-up BMP, JPEG of
// quality 90, or 24-bit PNG. Throws Failure for the empty picture or when encoding fails.
std::vector<std::byte> EncodePicture(const Picture& picture, ImageFormat format);

// Encodes the picture and writes it to `path` with WriteFileReplacing: an existing file is
// replaced only by a complete one, and stays as it was when anything fails.
void SavePictureFile(const Picture& picture, const std::wstring& path, ImageFormat format,
                     const FileSystemCalls& calls = SystemFileCalls());

}  // namespace pw

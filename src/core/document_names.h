// Texts of the document commands: a file's name from its path, the window caption after an
// open, the file dialogs' filters, and which image format a save writes; and where a JPEG
// file's picture ends.
#pragma once

#include <string>
#include <string_view>

namespace pw {

// The save dialog's filter, the formats a save writes: pairs of a description and a pattern,
// separated by "|".
inline constexpr wchar_t kImageFileFilter[] =
    L"Bmp (*.bmp)|*.bmp|JPGE(*.jpg)|*.jpg|PNG (*.png)|*.png";
inline constexpr int kImageFileFilterEntries = 3;
// The open dialog's: the same entries, so that each keeps its index (which the shared dialog
// carries from one to the other), then one for every format the open command reads.
inline constexpr wchar_t kOpenFileFilter[] =
    L"Bmp (*.bmp)|*.bmp|JPGE(*.jpg)|*.jpg|PNG (*.png)|*.png|"
    L"所有图片(*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff)|"
    L"*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff";

// The text with only its ASCII letters lowered: extensions, switches and the like are ASCII,
// and the user's locale must not decide whether a text is one of them.
std::wstring LowerAscii(std::wstring_view text);

// The part of `path` after its last backslash; the whole text when it has none. Only the
// backslash separates folders: "/" and ":" are ordinary characters.
std::wstring GetFileName(std::wstring_view path);

// The name without its extension (the text from the last "." on): "Pixelwren.exe" gives
// "Pixelwren", "a.b.c" gives "a.b", "name" gives "name".
std::wstring WithoutExtension(std::wstring_view name);

// A single-precision number as text the way the toolkit writes it: at most seven significant
// digits, no decimal point for a whole number, a leading zero before one ("0.5"), and
// E-notation with a signed two-digit exponent from 1E+07 up and below 0.0001 ("1E+07",
// "1.5E-05").
std::wstring FormatSingle(float value);

// The window caption after a file was opened: the program's name, "─[", the file's name,
// "(", width, "x", height, ") ]" with the picture's size in twips.
std::wstring OpenedFileCaption(std::wstring_view programName, std::wstring_view fileName,
                               float widthTwips, float heightTwips);

// "a|b|c|d" as the common dialogs want it: each part ended by a NUL, and one more NUL at the
// end.
std::wstring DialogFilterText(std::wstring_view filter);

enum class ImageFormat { Bmp, Jpeg, Png };

// The format a save writes to `path`: the file name's extension decides when it is one of
// ".bmp", ".jpg", ".jpeg" or ".png" (any case); otherwise the selected filter entry does
// (1 bitmap, 2 JPEG, 3 PNG; anything else a bitmap).
ImageFormat SaveFormatFor(std::wstring_view path, int filterIndex);

// Whether a JPEG file (its bytes, from its start marker FF D8) stops before the end of its
// picture. The segments are walked by their lengths up to the first scan, so that a whole
// JPEG inside one of them (an EXIF thumbnail) is passed over; the scan's data, with the
// restart markers, further scans and tables of a progressive picture, must then reach the
// end marker FF D9. What follows that marker (a phone's video, an editor's trailer) is not
// read. A segment length below 2 is left for the decoder to judge: false.
bool JpegEndMissing(std::string_view file);

}  // namespace pw

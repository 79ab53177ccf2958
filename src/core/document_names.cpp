#include "core/document_names.h"

#include <cstdio>
#include <cwchar>

namespace pw {

std::wstring GetFileName(std::wstring_view path) {
    const size_t separator = path.rfind(L'\\');
    return std::wstring(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

std::wstring WithoutExtension(std::wstring_view name) {
    const size_t dot = name.rfind(L'.');
    return std::wstring(dot == std::wstring_view::npos ? name : name.substr(0, dot));
}

std::wstring FormatSingle(float value) {
    if (value == 0.0f) {
        return L"0";  // also for -0
    }
    // %.7G is the toolkit's rule of seven digits and its switch to E-notation.
    char text[64];
    std::snprintf(text, sizeof text, "%.7G", static_cast<double>(value));
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c) {
        wide += static_cast<wchar_t>(*c);
    }
    return wide;
}

std::wstring OpenedFileCaption(std::wstring_view programName, std::wstring_view fileName,
                               float widthTwips, float heightTwips) {
    std::wstring caption(programName);
    caption += L"\u2500[";
    caption += fileName;
    caption += L"(";
    caption += FormatSingle(widthTwips);
    caption += L"x";
    caption += FormatSingle(heightTwips);
    caption += L") ]";
    return caption;
}

std::wstring DialogFilterText(std::wstring_view filter) {
    std::wstring text(filter);
    for (wchar_t& c : text) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    text += L'\0';
    text += L'\0';
    return text;
}

std::wstring LowerAscii(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return lower;
}

ImageFormat SaveFormatFor(std::wstring_view path, int filterIndex) {
    const std::wstring name = GetFileName(path);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) {
        const std::wstring extension = LowerAscii(std::wstring_view(name).substr(dot));
        if (extension == L".bmp") {
            return ImageFormat::Bmp;
        }
        if (extension == L".jpg" || extension == L".jpeg") {
            return ImageFormat::Jpeg;
        }
        if (extension == L".png") {
            return ImageFormat::Png;
        }
    }
    switch (filterIndex) {
        case 2:
            return ImageFormat::Jpeg;
        case 3:
            return ImageFormat::Png;
        default:
            return ImageFormat::Bmp;
    }
}

bool JpegEndMissing(std::string_view file) {
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(file[at]); };
    size_t at = 2;  // past the start marker
    for (;;) {
        // Scan data is skipped byte by byte: there an FF is followed by 00 (a data byte) or
        // by a restart marker. Between segments a decoder skips stray bytes in the same way.
        at = file.find('\xFF', at);
        if (at == std::string_view::npos) {
            return true;
        }
        do {
            ++at;  // an FF may be followed by more FF bytes that fill
        } while (at < file.size() && byte(at) == 0xFF);
        if (at >= file.size()) {
            return true;
        }
        const unsigned marker = byte(at++);
        if (marker == 0xD9) {
            return false;
        }
        // Markers without a length: a data byte FF 00, TEM, the restart markers, a start.
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            continue;
        }
        if (file.size() - at < 2) {
            return true;
        }
        const size_t length = (size_t{byte(at)} << 8) | byte(at + 1);  // counts itself
        if (length < 2) {
            return false;
        }
        if (file.size() - at < length) {
            return true;
        }
        at += length;
    }
}

}  // namespace pw

#include "capture/picture.h"

#include "platform/failure.h"
#include "platform/system_library.h"

namespace pw {

HBITMAP Picture::Bitmap() const {
    return m_shared ? m_shared->bitmap : nullptr;
}

HPALETTE Picture::Palette() const {
    return m_shared ? m_shared->palette.get() : nullptr;
}

Size Picture::SizeInPixels() const {
    return m_shared ? m_shared->size : Size{};
}

Picture CreatePictureFromBitmap(UniqueBitmap bitmap, UniquePalette palette) {
    BITMAP info{};
    if (!bitmap || ::GetObjectW(bitmap.get(), sizeof info, &info) == 0) {
        throw Failure(L"CreatePictureFromBitmap：位图句柄无效。");
    }

    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.get();
    description.bmp.hpal = palette.get();

    ComPtr<IDispatch> created;
    const HRESULT result = RequiredSystemFunction<decltype(::OleCreatePictureIndirect)>(
        L"oleaut32.dll", "OleCreatePictureIndirect")(&description, IID_IDispatch, TRUE,
                                                     created.put_void());
    if (FAILED(result) || !created) {
        ThrowFailedHresult(L"OleCreatePictureIndirect", FAILED(result) ? result : E_FAIL);
    }
    // From here the OLE picture owns the bitmap.
    const HBITMAP handle = bitmap.release();

    auto shared = std::make_shared<Picture::Shared>();
    shared->palette = std::move(palette);
    shared->bitmap = handle;
    shared->size = {info.bmWidth, info.bmHeight};
    const HRESULT query = created.As(shared->disp);
    if (FAILED(query)) {
        ThrowFailedHresult(L"QueryInterface(IPictureDisp)", query);
    }

    Picture picture;
    picture.m_shared = std::move(shared);
    return picture;
}

}  // namespace pw

// A COM interface pointer that releases its reference, and OLE on the UI thread.
#pragma once

#include <ole2.h>

#include <utility>

namespace pw {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : m_ptr(other.m_ptr) { AddRef(); }
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }
    ~ComPtr() { Release(); }

    // Takes over a reference the caller already holds.
    static ComPtr Attach(T* ptr) {
        ComPtr result;
        result.m_ptr = ptr;
        return result;
    }

    [[nodiscard]] T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    // For an out parameter: drops the current reference and gives the slot.
    T** put() {
        Release();
        return &m_ptr;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    void reset() { Release(); }

    template <typename U>
    HRESULT As(ComPtr<U>& out) const {
        if (m_ptr == nullptr) {
            return E_POINTER;
        }
        return m_ptr->QueryInterface(__uuidof(U), out.put_void());
    }

private:
    void AddRef() {
        if (m_ptr != nullptr) {
            m_ptr->AddRef();
        }
    }
    void Release() {
        if (T* ptr = std::exchange(m_ptr, nullptr)) {
            ptr->Release();
        }
    }
    T* m_ptr = nullptr;
};

// Starts OLE on the calling thread (the UI thread) unless it has started already: the first
// command that needs COM calls it, so that a start loads no ole32 and spends no time on OLE. S_OK or
// S_FALSE once started; the failure of OleInitialize otherwise (tried again next time).
HRESULT EnsureOle();

// Ends, when it goes, the OLE that EnsureOle started on its thread; starts it at once unless
// told to leave that to the first use.
class OleApartment {
public:
    enum class Start { Now, OnFirstUse };
    explicit OleApartment(Start start = Start::Now);
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;
    ~OleApartment();
};

}  // namespace pw

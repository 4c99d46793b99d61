#pragma once
// IUnknown's part of our COM objects, written once: the reference count and
// QueryInterface answering IUnknown, the object's interface and the further
// IIDs listed. Free of Qt.

#include <objbase.h>

#include <atomic>

namespace strovex::win {

template <class Interface, const IID &... Answers>
class ComObject : public Interface {
public:
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || (IsEqualIID(iid, Answers) || ...)) {
            *out = static_cast<Interface *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    // The count a new object starts with: 1 for the creator's own reference,
    // 0 where the creator takes it with AddRef.
    explicit ComObject(ULONG references) : references_(references) {}
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> references_;
};

} // namespace strovex::win

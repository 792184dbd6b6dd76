#pragma once
#include <windows.h>

#include <utility>

#include "handles/ScopedDC.h"
#include "handles/UniqueHandle.h"

// For code not yet moved to handles/: the old owner names over the new family, with their implicit conversions.
template <class Owner>
class ScopedOwner : public Owner {
public:
    using Owner::Owner;
    ScopedOwner() = default;
    ScopedOwner(Owner&& owner) noexcept : Owner(std::move(owner)) {}
    operator typename Owner::Type() const { return this->Get(); }
};

using ScopedFont = ScopedOwner<UniqueFont>;
using ScopedPen = ScopedOwner<UniquePen>;
using ScopedBrush = ScopedOwner<UniqueBrush>;
using ScopedBitmap = ScopedOwner<UniqueBitmap>;
using ScopedRegion = ScopedOwner<UniqueRegion>;
using ScopedHandle = UniqueKernelHandle;
using SelectObjectGuard = SelectionGuard;

class ScopedCreatedDC : public ScopedOwner<UniqueCreatedDC> {
public:
    using ScopedOwner::ScopedOwner;
    static ScopedCreatedDC CompatibleWith(HDC dc) { return ScopedCreatedDC(CompatibleDC(dc)); }
};

class ScopedWindowDC : public WindowDC {
public:
    using WindowDC::WindowDC;
    operator HDC() const { return Get(); }
};

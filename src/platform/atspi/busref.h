#pragma once

typedef struct _AtspiAccessible AtspiAccessible;

namespace atspi_detail {

// One reference to a bus object. It may be taken and copied on any thread; it is given back on the
// bus thread, since dropping the last one runs the bus library's own bookkeeping.
class BusRef
{
public:
    BusRef() = default;
    // Takes a reference of its own; null gives an empty one.
    explicit BusRef(AtspiAccessible* accessible);
    // Takes over a reference the caller holds.
    static BusRef adopt(AtspiAccessible* accessible);
    BusRef(const BusRef& other);
    BusRef(BusRef&& other) noexcept;
    BusRef& operator=(BusRef other) noexcept;
    ~BusRef();

    AtspiAccessible* get() const { return object; }
    explicit operator bool() const { return object != nullptr; }

private:
    AtspiAccessible* object = nullptr;
};

} // namespace atspi_detail

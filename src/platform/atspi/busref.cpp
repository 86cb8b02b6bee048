#include "busref.h"

#include <atspi/atspi.h>

#include <utility>

#include "atspidesktop.h"

namespace atspi_detail {

BusRef::BusRef(AtspiAccessible* accessible)
    : object(accessible ? static_cast<AtspiAccessible*>(g_object_ref(accessible)) : nullptr)
{
}

BusRef BusRef::adopt(AtspiAccessible* accessible)
{
    BusRef ref;
    ref.object = accessible;
    return ref;
}

BusRef::BusRef(const BusRef& other) : BusRef(other.object) {}

BusRef::BusRef(BusRef&& other) noexcept : object(std::exchange(other.object, nullptr)) {}

BusRef& BusRef::operator=(BusRef other) noexcept
{
    std::swap(object, other.object);
    return *this;
}

BusRef::~BusRef()
{
    if (AtspiAccessible* held = object)
        AtspiDesktop::post([held] { g_object_unref(held); });
}

} // namespace atspi_detail

// The handle table shared by every GDI object (regions, brushes, DCs).
//
// A handle is (generation << 16) | slot: non-zero, positive and below 2^31,
// because the program writes region handles out as decimal text and reads
// them back as 32-bit numbers. The generation (1..32767) changes each time a
// slot is freed, so a handle to a deleted object no longer matches its slot,
// and anything not handed out here (small numbers, pointers, -1) fails the
// lookup before it is used. Freed slots are reused oldest first and only
// once enough have piled up, so a generation comes round again only after
// many millions of deletions.
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/user32_gdi32/gdi_objects.h"
#include "platform/user32_gdi32/win_calls.h"

namespace {

constexpr uint32_t kSlotBits = 16;
constexpr uint32_t kSlotCount = 1u << kSlotBits;
constexpr uint32_t kGenerationEnd = 1u << (31 - kSlotBits);
constexpr std::size_t kFreeSlotsBeforeReuse = 1024;

struct Entry {
    uint32_t generation = 1;
    bool stock = false;
    std::unique_ptr<GdiObject> object; // null: the slot is free
};

class HandleTable {
public:
    HGDIOBJ Insert(std::unique_ptr<GdiObject> object, bool stock)
    {
        uint32_t slot;
        if (free_slots_.size() > kFreeSlotsBeforeReuse || entries_.size() == kSlotCount) {
            if (free_slots_.empty())
                return nullptr;
            slot = free_slots_.front();
            free_slots_.pop_front();
        } else {
            slot = uint32_t(entries_.size());
            entries_.emplace_back();
        }
        Entry& entry = entries_[slot];
        entry.stock = stock;
        if (!stock)
            ++live_[Index(object->kind)];
        entry.object = std::move(object);
        return reinterpret_cast<HGDIOBJ>(uintptr_t(entry.generation << kSlotBits | slot));
    }

    Entry* EntryOf(const void* handle)
    {
        const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
        if (value == 0 || value >= (uintptr_t(1) << 31))
            return nullptr;
        const uint32_t slot = uint32_t(value) & (kSlotCount - 1);
        const uint32_t generation = uint32_t(value) >> kSlotBits;
        if (slot >= entries_.size())
            return nullptr;
        Entry& entry = entries_[slot];
        if (!entry.object || entry.generation != generation)
            return nullptr;
        return &entry;
    }

    void Erase(Entry& entry)
    {
        if (entry.stock)
            return;
        // Unlink first: the object's destructor must never see its own slot.
        std::unique_ptr<GdiObject> object = std::move(entry.object);
        --live_[Index(object->kind)];
        entry.generation = entry.generation + 1 == kGenerationEnd ? 1 : entry.generation + 1;
        free_slots_.push_back(uint32_t(&entry - entries_.data()));
    }

    std::size_t Live(gdi32_internals::Kind kind) const { return live_[Index(kind)]; }

private:
    static std::size_t Index(gdi32_internals::Kind kind) { return std::size_t(kind); }

    std::vector<Entry> entries_;
    std::deque<uint32_t> free_slots_;
    std::array<std::size_t, 3> live_{};
};

HandleTable& Table()
{
    static HandleTable table;
    return table;
}

} // namespace

namespace gdi_handles {

HGDIOBJ Insert(std::unique_ptr<GdiObject> object)
{
    return Table().Insert(std::move(object), false);
}

HGDIOBJ InsertStock(std::unique_ptr<GdiObject> object)
{
    return Table().Insert(std::move(object), true);
}

GdiObject* Find(const void* handle)
{
    Entry* entry = Table().EntryOf(handle);
    return entry ? entry->object.get() : nullptr;
}

void Erase(const void* handle)
{
    if (Entry* entry = Table().EntryOf(handle))
        Table().Erase(*entry);
}

void Select(const void* handle)
{
    if (GdiObject* object = Find(handle))
        ++object->selections;
}

void Deselect(const void* handle)
{
    Entry* entry = Table().EntryOf(handle);
    if (!entry)
        return;
    GdiObject& object = *entry->object;
    if (--object.selections == 0 && object.delete_pending)
        Table().Erase(*entry);
}

} // namespace gdi_handles

namespace gdi32_internals {

std::size_t LiveObjects(Kind kind) { return Table().Live(kind); }

} // namespace gdi32_internals

// A DC is not DeleteObject's to delete (DeleteImageDC is). An object still
// selected into a DC is only marked, and goes when the DC lets go of it: the
// DC never holds a handle to a freed object, and the call reports success as
// GDI's does.
BOOL DeleteObject(HGDIOBJ handle)
{
    Entry* entry = Table().EntryOf(handle);
    if (!entry)
        return FALSE;
    if (entry->stock)
        return TRUE;
    GdiObject& object = *entry->object;
    if (object.kind == gdi32_internals::Kind::DC)
        return FALSE;
    if (object.selections > 0) {
        object.delete_pending = true;
        return TRUE;
    }
    Table().Erase(*entry);
    return TRUE;
}

DWORD GetObjectType(HGDIOBJ handle)
{
    const GdiObject* object = gdi_handles::Find(handle);
    if (!object)
        return 0;
    switch (object->kind) {
    case gdi32_internals::Kind::Region:
        return OBJ_REGION;
    case gdi32_internals::Kind::Brush:
        return OBJ_BRUSH;
    case gdi32_internals::Kind::DC:
        return OBJ_MEMDC;
    }
    return 0;
}

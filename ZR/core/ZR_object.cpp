// ZR_Object, its option table and the registry of live objects.
#include "ZR/core/ZR_object.h"

#include <mutex>
#include <unordered_set>

const char *ZR_specialobject = nullptr;

namespace {

struct LiveObjects {
    std::mutex mutex;
    std::unordered_set<const void *> objects;
};

LiveObjects &live_objects()
{
    static LiveObjects live;
    return live;
}

} // namespace

const ZR_option ZR_Object_options[] = {
    ZR_OPTION_NO_CTOR,
    ZR_OPTION(ZR_Object, delete),
    ZR_OPTION_END(nullptr),
};

ZR_Object::ZR_Object() : options(ZR_Object_options), command(nullptr)
{
    LiveObjects &live = live_objects();
    std::lock_guard<std::mutex> lock(live.mutex);
    live.objects.insert(this);
}

ZR_Object::~ZR_Object()
{
    LiveObjects &live = live_objects();
    std::lock_guard<std::mutex> lock(live.mutex);
    live.objects.erase(this);
}

ZR_value ZR_Object::m_delete(ZR_Object *object, ZR_value)
{
    delete object;
    return ZR_EMPTY;
}

bool ZR_object_alive(const void *o)
{
    if (!o)
        return false;
    LiveObjects &live = live_objects();
    std::lock_guard<std::mutex> lock(live.mutex);
    return live.objects.count(o) != 0;
}

// The tagged value that option handlers take and return.
#pragma once
#include <cmath>
#include <cstdint>

// Type codes of ZR_value::type.
enum {
    ZR_TYPE_NONE = 0,
    ZR_TYPE_KEYWORD = 1, // an option keyword, or the empty value
    ZR_TYPE_INT = 2,
    ZR_TYPE_FLOAT = 3,
    ZR_TYPE_TEXT = 4,
    ZR_TYPE_OBJECT = 5, // with len >= 0: len raw bytes at the address
};

// The payload is pointer-sized so that object references fit on 64-bit.
union ZR_word {
    void *o;
    int32_t i;
    float f;
    const char *s;
};

class ZR_value {
public:
    ZR_word value;
    int32_t type;
    int32_t len;

    constexpr ZR_value() : value{nullptr}, type(ZR_TYPE_NONE), len(-1) {}
    constexpr ZR_value(int32_t type_code, int32_t length)
        : value{nullptr}, type(type_code), len(length)
    {
    }

    // Called by a widget after it wrote a new value and type; data is the
    // widget's data pointer.
    virtual void notify(void *data);

    // A record that two threads use (a widget writes it, the host's
    // parameter calls read it) is accessed through these: the 32-bit word
    // and the type, each a relaxed atomic.
    int32_t shared_word() const { return __atomic_load_n(&value.i, __ATOMIC_RELAXED); }
    int32_t shared_type() const { return __atomic_load_n(&type, __ATOMIC_RELAXED); }
    void store_shared(int32_t word, int32_t type_code)
    {
        __atomic_store_n(&value.i, word, __ATOMIC_RELAXED);
        __atomic_store_n(&type, type_code, __ATOMIC_RELAXED);
    }

    static ZR_value empty();
    static ZR_value of_int(int32_t i);
    static ZR_value of_float(float f);
    static ZR_value of_text(const char *s);
    static ZR_value of_object(const void *o);
    static ZR_value of_bytes(const void *o, int32_t len);

    bool is_number() const { return type == ZR_TYPE_INT || type == ZR_TYPE_FLOAT; }
    // Integer of a numeric value, floats truncated toward zero and clamped
    // (NaN gives 0); 0 for other types.
    int32_t to_int() const;
    // Numeric value as double (integers exactly); 0 for other types.
    double to_double() const;
};

// The empty value: value 0, type 1, len -1.
extern const ZR_value ZR_EMPTY;

// Float to int32 with truncation toward zero, clamped to the int32 range;
// NaN gives 0. Inline: effects use it per sample.
inline int32_t ZR_truncate_to_int(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 2147483647.0)
        return INT32_MAX;
    if (d <= -2147483648.0)
        return INT32_MIN;
    return (int32_t)d;
}

// spcpp_exec: one command, left to right, on a private copy of the text.
#include "ZR/core/ZR_spcpp.h"
#include "ZR/core/ZR_object.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

// Parent links followed at most this often (guards a malformed table cycle).
constexpr int MAX_TABLE_DEPTH = 64;

const ZR_class *extra_classes = nullptr;

int word_length(const char *s)
{
    int n = 0;
    while (s[n] && s[n] != ' ')
        ++n;
    return n;
}

const ZR_class *find_in(const ZR_class *classes, const char *word)
{
    for (const ZR_class *c = classes; c && c->name; ++c)
        if (spcpp_same_word(c->name, word))
            return c;
    return nullptr;
}

const ZR_class *find_class(const char *word)
{
    const ZR_class *c = find_in(_ZR, word);
    return c ? c : find_in(extra_classes, word);
}

const ZR_option *find_option(const ZR_option *table, const char *name)
{
    for (int depth = 0; table && depth < MAX_TABLE_DEPTH; ++depth) {
        const ZR_option *pair = table + 1;
        for (; pair->name; ++pair)
            if (spcpp_same_word(pair->name, name))
                return pair;
        table = pair->parent;
    }
    return nullptr;
}

// The result text: items separated by one space, never past capacity.
struct ResultText {
    char *buffer = nullptr;
    int capacity = 0;
    int length = 0;

    bool append_bytes(const char *bytes, int n, bool separate)
    {
        int needed = n + (separate && length > 0 ? 1 : 0);
        if (needed > capacity - length)
            return false;
        if (separate && length > 0)
            buffer[length++] = ' ';
        if (n > 0 && bytes)
            std::memcpy(buffer + length, bytes, (size_t)n);
        length += n;
        return true;
    }

    bool append_object(const void *o)
    {
        char item[2 + 2 * sizeof(uintptr_t) + 1];
        int n = std::snprintf(item, sizeof item, "0x%" PRIXPTR, (uintptr_t)o);
        return append_bytes(item, n, true);
    }

    bool append(const ZR_value &v)
    {
        char item[64];
        switch (v.type) {
        case ZR_TYPE_INT:
            return append_bytes(item, std::snprintf(item, sizeof item, "%d", v.value.i), true);
        case ZR_TYPE_FLOAT: // at most 47 characters: "-" 39 digits "." 6 digits
            return append_bytes(item, std::snprintf(item, sizeof item, "%f", (double)v.value.f),
                                true);
        case ZR_TYPE_TEXT: {
            const char *s = v.value.s ? v.value.s : "";
            return append_bytes(s, (int)std::strlen(s), true);
        }
        case ZR_TYPE_OBJECT:
            if (v.len < 0)
                return append_object(v.value.o);
            if (!append_bytes(nullptr, 0, true))
                return false;
            return append_bytes((const char *)v.value.o, v.value.o ? v.len : 0, false);
        default:
            return true;
        }
    }
};

void store_result(void *target, const ZR_value &v)
{
    if (!target)
        return;
    switch (v.type) {
    case ZR_TYPE_INT:
        *(int32_t *)target = v.value.i;
        break;
    case ZR_TYPE_FLOAT:
        *(float *)target = v.value.f;
        break;
    default:
        *(void **)target = v.value.o;
        break;
    }
}

ZR_value placeholder(const char *token, va_list *args)
{
    if (!args)
        return ZR_value();
    switch (token[1]) {
    case 'i':
        return ZR_value::of_int(va_arg(*args, int));
    case 'f':
        return ZR_value::of_float((float)va_arg(*args, double));
    case 's':
        return ZR_value::of_text(va_arg(*args, const char *));
    case 'o':
        return ZR_value::of_object(va_arg(*args, void *));
    default:
        return ZR_value();
    }
}

ZR_status param_not_found(const char *command, const char *name, int n)
{
    std::printf("spcpp: %s\n", command);
    std::printf("spcpp: param '%.*s' not found\n", n, name);
    return ZR_ERROR_COMMAND_NOT_PARAM;
}

ZR_status object_not_found(const char *command, const char *token)
{
    std::printf("spcpp: %s\n", command);
    std::printf("spcpp: object '%.*s' not found\n", word_length(token), token);
    return ZR_ERROR_COMMAND_NOT_PARAM;
}

} // namespace

ZR_status spcpp_exec(int flags, const char *command, char *result, int *capacity, va_list *args)
{
    ResultText out;
    if (flags & SPCPP_RESULT_TEXT) {
        out.buffer = result;
        out.capacity = (result && capacity && *capacity > 0) ? *capacity : 0;
        if (out.capacity)
            std::memset(result, 0, (size_t)out.capacity);
    }
    const bool out_params = (flags & SPCPP_OUT_PARAMS) && args;
    if (!command)
        command = "";

    size_t length = strnlen(command, SPCPP_MAX_COMMAND + 1);
    if (length > SPCPP_MAX_COMMAND) {
        std::printf("spcpp: command too long\n");
        return ZR_ERROR_COMMAND_NOT_SPACE;
    }
    char text[SPCPP_MAX_COMMAND + 1];
    std::memcpy(text, command, length);
    text[length] = 0;

    // The first token names a class, or the command starts with an object.
    int pos = 0;
    const ZR_option *table = nullptr;
    if (text[0] == '%') {
        pos = 0;
    }
    else {
        spcpp_token(text, &pos);
        const ZR_class *cls = find_class(text);
        if (!cls || !cls->options) {
            std::printf("spcpp: command '%.*s' not found\n", word_length(text), text);
            return ZR_ERROR_COMMAND_NOT_FOUND;
        }
        table = cls->options;
    }
    bool at_end = text[0] != '%' && text[pos] == 0;
    int next = text[0] == '%' ? 0 : pos + 1;

    const char *pending = nullptr; // the pending option's keyword, dash included
    ZR_Object *object = nullptr;

    for (;;) {
        // The current token's value.
        ZR_value current = ZR_EMPTY;
        int separator = next;
        if (!at_end) {
            const char *token = text + next;
            if (token[0] == '%') {
                current = placeholder(token, args);
                separator = next + word_length(token);
            }
            else {
                separator = next;
                current = spcpp_token(text, &separator);
                if (separator == next) { // an empty token: two spaces or a trailing one
                    return param_not_found(command, token, 0);
                }
                if (current.type == ZR_TYPE_OBJECT && !ZR_object_alive(current.value.o)) {
                    // As an option's value, a hexadecimal number that names no
                    // object is the 32-bit integer it spells ("-color 0x00A57BBD").
                    uintptr_t bits = (uintptr_t)current.value.o;
                    if (!pending || bits > 0xFFFFFFFFu)
                        return object_not_found(command, token);
                    current = ZR_value::of_int((int32_t)(uint32_t)bits);
                }
            }
            at_end = text[separator] == 0;
        }

        if (pending) {
            // A value (or the end) after a keyword: set or query that option.
            const char *name = pending + 1;
            const ZR_option *option = find_option(table, name);
            if (!option || !option->handler)
                return param_not_found(command, name, word_length(name));
            if (current.type > ZR_TYPE_KEYWORD) {
                char saved = text[separator];
                text[separator] = 0;
                option->handler(object, current);
                text[separator] = saved;
            }
            else {
                ZR_value answer = option->handler(object, ZR_EMPTY);
                if ((flags & SPCPP_RESULT_TEXT) && !out.append(answer))
                    return ZR_ERROR_COMMAND_NOT_SPACE;
                if (out_params && answer.type > ZR_TYPE_KEYWORD && current.type > ZR_TYPE_NONE)
                    store_result(va_arg(*args, void *), answer);
            }
            // A handler may have deleted the object ("-delete"): no option
            // after it may reach the freed memory.
            const char *following = current.type == ZR_TYPE_KEYWORD && current.value.s
                                        ? current.value.s
                                        : (at_end ? nullptr : text + separator + 1);
            if (following && object && !ZR_object_alive(object)) {
                std::printf("spcpp: %s\n", command);
                std::printf("spcpp: object deleted before '%.*s'\n", word_length(following),
                            following);
                return ZR_ERROR_COMMAND_NOT_PARAM;
            }
        }
        else if (current.type == ZR_TYPE_OBJECT) {
            // An existing object: the options that follow apply to it.
            object = static_cast<ZR_Object *>(current.value.o);
            if (!table)
                table = object ? object->options : nullptr;
            if (!table) {
                std::printf("spcpp: command '%.*s' not found\n", word_length(text), text);
                return ZR_ERROR_COMMAND_NOT_FOUND;
            }
        }
        else if (current.type == ZR_TYPE_INT || current.type == ZR_TYPE_FLOAT || !table ||
                 !table->create) {
            // A number where an object belongs, or a class that cannot be created.
            std::printf("spcpp: command '%.*s' not found\n", word_length(text), text);
            return ZR_ERROR_COMMAND_NOT_FOUND;
        }
        else {
            // A class name followed by a value or nothing: create an object.
            // A text ends at its separator while the constructor may read it.
            const bool text_value = current.type == ZR_TYPE_TEXT;
            char saved = text_value ? text[separator] : 0;
            if (text_value)
                text[separator] = 0;
            ZR_specialobject = text_value ? current.value.s : nullptr;
            object = table->create();
            ZR_specialobject = nullptr;
            if (text_value)
                text[separator] = saved;
            if (object) {
                object->options = table;
                object->command = command;
            }
            if ((flags & SPCPP_RESULT_TEXT) && !out.append_object(object))
                return ZR_ERROR_COMMAND_NOT_SPACE;
            if (out_params && current.type > ZR_TYPE_NONE) {
                void **target = va_arg(*args, void **);
                if (target)
                    *target = object;
            }
        }

        // A keyword becomes the pending option (ending the
        // text, it is queried with the empty value next pass); after a value
        // the next token must be a keyword.
        if (current.type == ZR_TYPE_KEYWORD && current.value.s) {
            pending = current.value.s;
            next = separator + 1;
            continue;
        }
        if (at_end)
            break;
        next = separator + 1;
        if (current.type <= ZR_TYPE_KEYWORD)
            return param_not_found(command, text + next, word_length(text + next));
        const char *token = text + next;
        int after = next;
        ZR_value keyword = token[0] == '%' ? ZR_value() : spcpp_token(text, &after);
        if (keyword.type != ZR_TYPE_KEYWORD)
            return param_not_found(command, token, word_length(token));
        pending = token;
        at_end = text[after] == 0;
        next = after + 1;
    }

    if ((flags & SPCPP_RESULT_TEXT) && capacity)
        *capacity = out.length;
    return ZR_OK;
}

void spcpp_set_extra_classes(const ZR_class *classes)
{
    extra_classes = classes;
}

ZR_status spcpp(const char *command, ...)
{
    va_list args;
    va_start(args, command);
    ZR_status status = spcpp_exec(SPCPP_OUT_PARAMS, command, nullptr, nullptr, &args);
    va_end(args);
    return status;
}

// zrsh scripts: command lines with named objects, and the directives that
// say how audio enters and leaves the graph.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

class ZR_Buffer;
class ZR_Object;
class ZR_Soundpipe;

struct ZrshInput {
    ZR_Buffer *buffer;
    int channel; // channel of the input file
    int line;
};

struct ZrshOutput {
    ZR_Buffer *buffer;
    int32_t offset; // first sample of the block read
    int32_t stride; // distance between samples read
};

struct ZrshTimed {
    double seconds;
    std::string command; // names are replaced when it runs
    int line;
};

class ZrshScript {
public:
    explicit ZrshScript(std::string file_name) : file(std::move(file_name)) {}
    ~ZrshScript();
    ZrshScript(const ZrshScript &) = delete;
    ZrshScript &operator=(const ZrshScript &) = delete;

    // Runs one line; false with `error` set (without the location) on failure.
    bool line(const std::string &text, int number, std::string &error);
    // Runs one command with names replaced; the first object of its result
    // goes to *yielded when that is not null.
    bool command(const std::string &text, int number, std::string &error, ZR_Object **yielded,
                 bool print = false);

    std::string file;
    ZR_Soundpipe *pipe = nullptr; // set by `pipe`, else the last current pipe
    bool pipe_named = false;
    std::vector<ZrshInput> inputs;
    std::vector<ZrshOutput> outputs;
    std::vector<ZrshTimed> timed;
    int clock = 0;       // 0: the input file's rate
    double length = 0.0; // seconds, without an input file
    bool length_given = false;
    double tail = 0.0; // seconds of silence after the input

    // False with `error` set when a buffer the script made is gone while the
    // pipe still holds effects: they may point at it.
    bool buffers_intact(std::string &error) const;

private:
    bool expand(const std::string &text, std::string &out, std::string &error) const;
    bool buffer_argument(const std::string &word, ZR_Buffer *&buffer, std::string &error) const;

    std::map<std::string, ZR_Object *> names;
    std::deque<std::string> texts; // command texts: created objects point into them
    std::vector<ZR_Object *> created;
    std::vector<std::pair<ZR_Buffer *, int>> buffers; // made by the script, with their lines
};

// Reads a script file line by line; false with a located error message.
bool zrsh_run_file(ZrshScript &script, std::string &error);

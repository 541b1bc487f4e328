// render_file: reads blocks, cuts them at automation events, runs each channel
// through its own instance (output 0) and writes the result: a reader thread,
// one filter thread per channel and the writer (the calling thread) pass
// slots of whole host blocks around a small ring.
#include "tools/render/render.h"
#include "tools/render/automation.h"
#include "tools/render/cutoff_map.h"
#include "tools/render/plugin_host.h"
#include "tools/render/progress.h"
#include "tools/render/sound_file.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <exception>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Instances = std::vector<std::unique_ptr<PluginInstance>>;

SoundError interrupted_error(const std::string &output)
{
    return SoundError(
        "interrupted: " + output + " was not written" +
        (access(output.c_str(), F_OK) == 0 ? " (the previous file is untouched)" : ""));
}

// Walks the automation in time order: which changes are due at a frame, and
// where the host block starting there ends (a block's length, cut at the
// next change), exactly as a host delivers them between blocks.
class EventCursor {
public:
    EventCursor(const std::vector<AutomationEvent> &events, size_t next, int rate)
        : events_(events), next_(next), rate_(rate)
    {
    }
    template <class Apply>
    void take_due(int64_t pos, Apply apply)
    {
        for (; next_ < events_.size() && automation_frame(events_[next_], rate_) <= pos; ++next_)
            apply(events_[next_]);
    }
    int64_t block_end(int64_t pos, int64_t block) const
    {
        if (next_ < events_.size())
            return pos + std::min<int64_t>(block, automation_frame(events_[next_], rate_) - pos);
        return pos + block;
    }

private:
    const std::vector<AutomationEvent> &events_;
    size_t next_;
    int rate_;
};

// The loop as one thread runs it: read a block, filter each channel, write.
int64_t render_in_turn(SoundReader &reader, SoundWriter &writer, Instances &instances,
                       EventCursor events, const Options &o, ProgressBar &progress)
{
    const size_t channels = (size_t)reader.channels();
    const size_t block = (size_t)o.block;
    std::vector<float> interleaved(block * channels), in(block), out(block);
    int64_t pos = 0;
    for (;;) {
        test_pause_point();
        if (interrupted())
            throw interrupted_error(o.output);
        // Hosts deliver parameter changes between blocks: cut the block at the event.
        events.take_due(pos, [&](const AutomationEvent &e) {
            for (auto &inst : instances)
                inst->set_parameter(e.index, e.value);
        });
        const int64_t want = events.block_end(pos, (int64_t)block) - pos;
        int64_t n = reader.read(interleaved.data(), want);
        if (n <= 0)
            break;
        for (size_t c = 0; c < channels; ++c) {
            for (int64_t i = 0; i < n; ++i)
                in[(size_t)i] = interleaved[(size_t)i * channels + c];
            instances[c]->process(in.data(), out.data(), (int32_t)n);
            for (int64_t i = 0; i < n; ++i)
                interleaved[(size_t)i * channels + c] = out[(size_t)i];
        }
        writer.write(interleaved.data(), n);
        pos += n;
        progress.update(pos);
    }
    return pos;
}

// The same blocks with reading, each channel's filtering and writing on
// threads of their own. Slots are allocated once; the filter threads work in
// place on the slot's interleaved frames, each on its own channel.
class RenderThreads {
public:
    static constexpr int RING = 4; // slots in flight
    // Frames a slot holds, or one host block when that is longer.
    static constexpr int64_t SLOT_FRAMES = 32768;
    static constexpr int WRITEBACK_SLOTS = 16; // slots written between writeback starts

    RenderThreads(SoundReader &reader, SoundWriter &writer, Instances &instances,
                  const EventCursor &events, const Options &o, ProgressBar &progress)
        : reader_(reader), writer_(writer), instances_(instances), events_(events), o_(o),
          progress_(progress), channels_((size_t)reader.channels()),
          capacity_(std::max<int64_t>(SLOT_FRAMES, o.block)), filtered_(channels_, 0)
    {
        for (Slot &s : slots_)
            s.frames.resize((size_t)capacity_ * channels_);
    }

    int64_t run()
    {
        // Interrupts reach the writer, which waits for them when paused.
        sigset_t block, old;
        sigemptyset(&block);
        sigaddset(&block, SIGINT);
        sigaddset(&block, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &block, &old);
        std::vector<std::thread> threads;
        threads.emplace_back([this] { guarded([this] { read_slots(); }); });
        for (size_t c = 0; c < channels_; ++c)
            threads.emplace_back([this, c] { guarded([this, c] { filter_slots(c); }); });
        pthread_sigmask(SIG_SETMASK, &old, nullptr);

        int64_t pos = 0;
        std::exception_ptr failure;
        try {
            pos = write_slots();
        }
        catch (...) {
            failure = std::current_exception();
        }
        stop_all();
        for (std::thread &t : threads)
            t.join();
        if (error_)
            std::rethrow_exception(error_);
        if (failure)
            std::rethrow_exception(failure);
        return pos;
    }

private:
    struct Slot {
        std::vector<float> frames;
        int64_t start = 0, count = 0;
        int blocks = 0;
    };

    template <class F>
    void guarded(F f)
    {
        try {
            f();
        }
        catch (...) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!error_)
                error_ = std::current_exception();
            stop_ = true;
            changed_.notify_all();
        }
    }

    void stop_all()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }

    // Publishes a stage's progress; true when that was the last slot.
    bool publish(int64_t &counter, int64_t seq, bool end_of_input = false)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        counter = seq + 1;
        if (end_of_input)
            input_done_ = true;
        changed_.notify_all();
        return input_done_ && seq + 1 == filled_;
    }

    // Fills slots with whole host blocks, cut where the single thread cuts them.
    void read_slots()
    {
        EventCursor events = events_;
        // Frames read past the slot's last whole block wait here for the next.
        std::vector<float> carry((size_t)capacity_ * channels_);
        int64_t carried = 0, pos = 0;
        bool at_end = false;
        for (int64_t seq = 0;; ++seq) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || seq - written_ < RING; });
                if (stop_)
                    return;
            }
            Slot &s = slots_[seq % RING];
            std::copy(carry.begin(), carry.begin() + carried * (int64_t)channels_,
                      s.frames.begin());
            int64_t avail = carried;
            if (!at_end) {
                // One read for the slot; a read that finds nothing is the end.
                const int64_t want = capacity_ - carried;
                const int64_t n = reader_.read(s.frames.data() + (size_t)carried * channels_, want);
                avail += std::max<int64_t>(n, 0);
                at_end = n <= 0;
            }
            // Whole host blocks as one thread cuts them; at the end the last
            // one may be short.
            s.start = pos;
            s.count = 0;
            s.blocks = 0;
            while (s.count < avail) {
                events.take_due(pos, [](const AutomationEvent &) {});
                int64_t n = events.block_end(pos, o_.block) - pos;
                if (s.count + n > avail) {
                    if (!at_end)
                        break;
                    n = avail - s.count;
                }
                s.count += n;
                s.blocks += 1;
                pos += n;
            }
            carried = avail - s.count;
            std::copy(s.frames.begin() + s.count * (int64_t)channels_,
                      s.frames.begin() + avail * (int64_t)channels_, carry.begin());
            const bool end = at_end && carried == 0;
            if (publish(filled_, seq, end))
                return;
        }
    }

    // Runs channel c's instance over every slot, block by block.
    void filter_slots(size_t c)
    {
        EventCursor events = events_;
        PluginInstance &inst = *instances_[c];
        for (int64_t seq = 0;; ++seq) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || seq < filled_; });
                if (stop_)
                    return;
            }
            Slot &s = slots_[seq % RING];
            for (int64_t pos = s.start, end = s.start + s.count; pos < end;) {
                events.take_due(
                    pos, [&](const AutomationEvent &e) { inst.set_parameter(e.index, e.value); });
                const int64_t n = std::min(events.block_end(pos, o_.block), end) - pos;
                float *frames = s.frames.data() + (size_t)(pos - s.start) * channels_ + c;
                float *in = inst.input();
                for (int64_t i = 0; i < n; ++i)
                    in[i] = frames[(size_t)i * channels_];
                inst.process_in_place((int32_t)n);
                const float *out = inst.output();
                for (int64_t i = 0; i < n; ++i)
                    frames[(size_t)i * channels_] = out[i];
                pos += n;
            }
            if (publish(filtered_[c], seq))
                return;
        }
    }

    // Writes slots in order once every channel has filtered them.
    int64_t write_slots()
    {
        int64_t pos = 0;
        int since_writeback = 0;
        for (int64_t seq = 0;; ++seq) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                auto ready = [&] {
                    for (int64_t f : filtered_)
                        if (f <= seq)
                            return false;
                    return true;
                };
                while (!stop_ && !ready()) {
                    changed_.wait_for(lock, std::chrono::milliseconds(20));
                    if (interrupted())
                        throw interrupted_error(o_.output);
                }
                if (stop_)
                    return pos; // a thread failed: run() reports it
            }
            Slot &s = slots_[seq % RING];
            for (int i = 0; i < s.blocks; ++i)
                test_pause_point();
            if (interrupted())
                throw interrupted_error(o_.output);
            if (s.count > 0) {
                writer_.write(s.frames.data(), s.count);
                pos += s.count;
                progress_.update(pos);
                if (++since_writeback == WRITEBACK_SLOTS) {
                    since_writeback = 0;
                    writer_.start_writeback();
                }
            }
            if (publish(written_, seq))
                return pos;
        }
    }

    SoundReader &reader_;
    SoundWriter &writer_;
    Instances &instances_;
    const EventCursor events_;
    const Options &o_;
    ProgressBar &progress_;
    const size_t channels_;
    const int64_t capacity_;

    std::mutex mutex_;
    std::condition_variable changed_;
    Slot slots_[RING];
    int64_t filled_ = 0; // slots the reader has filled
    bool input_done_ = false;
    std::vector<int64_t> filtered_; // slots each channel has filtered
    int64_t written_ = 0;
    bool stop_ = false;
    std::exception_ptr error_;
};

} // namespace

RenderSummary render_file(const Options &o, const std::string &plugin_path)
{
    SoundReader reader(o.input);
    check_output_path(o.input, o.output, o.force);
    const int out_format = output_format_for(reader.format(), o.output, o.format);
    std::vector<AutomationEvent> events;
    if (!o.automation.empty())
        events = load_automation(o.automation);

    RenderSummary summary;
    summary.channels = reader.channels();
    summary.rate = reader.rate();
    summary.output_format = out_format;
    summary.automation_events = events.size();

    // Created before the plug-in is loaded, so that an unwritable folder fails at once.
    SoundWriter writer(o.output, out_format, reader.channels(), reader.rate());
    PluginLibrary library(plugin_path);
    std::vector<std::unique_ptr<PluginInstance>> instances;
    for (int c = 0; c < reader.channels(); ++c)
        instances.push_back(
            std::make_unique<PluginInstance>(library, (float)reader.rate(), o.block));
    const int32_t params = instances[0]->num_params();
    auto check_index = [&](int32_t index, const std::string &where) {
        if (index >= params)
            throw HostError(where + ": the plug-in has no parameter " + std::to_string(index) +
                            " (it has " + std::to_string(params) + ")");
    };
    for (const ParamSetting &p : o.params)
        check_index(p.index, "--param");
    for (const AutomationEvent &e : events)
        check_index(e.index, o.automation + ":" + std::to_string(e.line));
    for (const ParamSetting &p : o.params) {
        for (auto &inst : instances)
            inst->set_parameter(p.index, p.value);
        summary.frequency_set = summary.frequency_set || p.index == PARAM_FREQUENCY;
    }
    size_t next_event = 0;
    for (; next_event < events.size() && automation_frame(events[next_event], reader.rate()) <= 0;
         ++next_event) {
        for (auto &inst : instances)
            inst->set_parameter(events[next_event].index, events[next_event].value);
        summary.frequency_set =
            summary.frequency_set || events[next_event].index == PARAM_FREQUENCY;
    }

    if (params > PARAM_STATE)
        summary.state_value = instances[0]->get_parameter(PARAM_STATE);
    if (params > PARAM_FREQUENCY)
        summary.frequency_value = instances[0]->get_parameter(PARAM_FREQUENCY);
    for (const AutomationEvent &e : events)
        if (e.index == PARAM_FREQUENCY && automation_frame(e, reader.rate()) < reader.frames())
            summary.highest_automated_frequency =
                std::max(summary.highest_automated_frequency, e.value);

    ProgressBar progress(reader.frames(), !o.quiet);

    // The plug-in starts switched on and fades over one block when it is
    // switched: one block of silence, thrown away, puts the starting state in
    // force from the first sample (silence leaves the filters at rest).
    {
        std::vector<float> in((size_t)o.block, 0.0f), out((size_t)o.block);
        for (auto &inst : instances)
            inst->process(in.data(), out.data(), o.block);
    }

    const EventCursor cursor(events, next_event, reader.rate());
    const int64_t pos = o.single_thread
                            ? render_in_turn(reader, writer, instances, cursor, o, progress)
                            : RenderThreads(reader, writer, instances, cursor, o, progress).run();
    progress.finish();
    instances.clear(); // switched off and closed before the file is committed
    writer.commit();
    summary.frames = pos;
    summary.clipped = writer.clipped();
    return summary;
}

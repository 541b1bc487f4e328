// vemo-rts: lists the audio drivers as the live host's menus show them, and
// runs one driver/mode for a while, passing input 1 to outputs 1 and 2.
#include "ZR/Rts/ZR_Rts.h"
#include "ZR/Rts/ZR_Rts_Alsa.h"
#include "ZR/Rts/ZR_Rts_Jack.h"
#include "ZR/core/ZR_msgbox.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A command-line tool reports on standard error instead of a dialog.
int ZR_message_box(const char *caption, const char *text)
{
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return 1;
}

namespace {

const char *const USAGE =
    "usage: vemo-rts [list]\n"
    "       vemo-rts run DRIVER [MODE] [--seconds S]\n"
    "\n"
    "list    the drivers, their modes and input channels, numbered as in the menus\n"
    "run     streams DRIVER (number or name) in MODE (number, default 1) for S seconds\n"
    "        (default 5; Ctrl-C stops early), passing input 1 to outputs 1 and 2, then\n"
    "        prints the blocks delivered, overruns and underruns\n";

std::mutex host_lock;
ZR_Rts *current = nullptr;
ZR_Rts::Chan *transfer = nullptr;
std::vector<float> work;
std::atomic<long> delivered{0}, refused{0};
std::atomic<bool> interrupted{false};

// As the live host does it: skip the block when the lock is held, input 1
// into floats, the floats into the first two outputs.
void block()
{
    std::unique_lock<std::mutex> lock(host_lock, std::try_to_lock);
    if (!lock.owns_lock() || !current || !transfer)
        return;
    ZR_Rts::Chan *in = ZR_Rts::chan_at(current->inputs, 0);
    bool ok = in && in->data && ZR_Rts::copyBuffer(transfer, in) == ZR_OK;
    for (int k = 0; k < 2 && ok; ++k)
        if (ZR_Rts::Chan *out = ZR_Rts::chan_at(current->outputs, k))
            ok = ZR_Rts::copyBuffer(out, transfer) == ZR_OK;
    (ok ? delivered : refused).fetch_add(1, std::memory_order_relaxed);
}

std::vector<ZR_Rts *> drivers()
{
    std::vector<ZR_Rts *> list;
    for (ZR_Chain_Item *i = ZR_Rts_instances.first(); i != ZR_Rts_instances.end(); i = i->next)
        list.push_back(static_cast<ZR_Rts *>(i->owner));
    return list;
}

void print_names(const char *what, const ZR_Chain &chans)
{
    std::printf("   %s:", what);
    for (int k = 0; ZR_Rts::chan_at(chans, k); ++k)
        std::printf("%s %s", k ? "," : "", ZR_Rts::chan_at(chans, k)->name);
    std::printf("%s\n", chans.count ? "" : " none");
}

int list()
{
    std::vector<ZR_Rts *> all = drivers();
    if (all.empty())
        std::printf("No audio drivers found\n");
    for (size_t d = 0; d < all.size(); ++d) {
        std::printf("%zu. %s\n", d + 1, all[d]->name);
        if (all[d]->init() != ZR_OK) {
            std::printf("   (cannot be opened)\n");
            continue;
        }
        for (int m = 0; ZR_Rts::mode_at(all[d]->modes, m); ++m)
            std::printf("   mode %d: %s\n", m + 1, ZR_Rts::mode_at(all[d]->modes, m)->text);
        if (!all[d]->modes.count)
            std::printf("   no modes\n");
        print_names("inputs", all[d]->inputs);
        all[d]->done();
    }
    return 0;
}

RtsCounts counts_of(ZR_Rts *d)
{
    if (auto *alsa = dynamic_cast<ZR_Rts_Alsa *>(d))
        return alsa->counts();
    if (auto *jack = dynamic_cast<ZR_Rts_Jack *>(d))
        return jack->counts();
    return RtsCounts();
}

int run(const char *driver_arg, int mode_number, double seconds)
{
    std::vector<ZR_Rts *> all = drivers();
    ZR_Rts *d = nullptr;
    char *end = nullptr;
    long n = std::strtol(driver_arg, &end, 10);
    if (end != driver_arg && !*end && n >= 1 && n <= (long)all.size())
        d = all[(size_t)n - 1];
    for (ZR_Rts *candidate : all)
        if (!d && std::strcmp(candidate->name, driver_arg) == 0)
            d = candidate;
    if (!d) {
        std::fprintf(stderr, "vemo-rts: no driver \"%s\" (see vemo-rts list)\n", driver_arg);
        return 2;
    }
    ZR_status s = d->init();
    if (s != ZR_OK) {
        std::fprintf(stderr, "vemo-rts: %s: %s\n", d->name, s);
        return 1;
    }
    ZR_Rts::Mode *m = ZR_Rts::mode_at(d->modes, mode_number - 1);
    if (!m || !d->inputs.count) {
        std::fprintf(stderr, "vemo-rts: %s has no mode %d or no input\n", d->name, mode_number);
        d->done();
        return 2;
    }
    work.assign((size_t)m->frames, 0.0f);
    ZR_Rts::Chan floats("transfer", ZR_Rts::FORMAT_FLOAT | 32 << 8 | 4, m->frames);
    floats.data = work.data();
    {
        std::lock_guard<std::mutex> lock(host_lock);
        s = d->mode(m);
        if (s == ZR_OK) {
            current = d;
            transfer = &floats;
        }
    }
    if (s != ZR_OK) {
        std::fprintf(stderr, "vemo-rts: %s, mode%s: %s\n", d->name, m->text, s);
        d->done();
        return 1;
    }
    std::printf("%s,%s\n", d->name, m->text);
    ZR_Rts::Chan *out1 = ZR_Rts::chan_at(d->outputs, 0), *out2 = ZR_Rts::chan_at(d->outputs, 1);
    std::printf("   input %s -> outputs %s, %s\n", ZR_Rts::chan_at(d->inputs, 0)->name,
                out1 ? out1->name : "none", out2 ? out2->name : "none");
    std::fflush(stdout);

    auto stop_at = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < stop_at && !interrupted.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    {
        std::lock_guard<std::mutex> lock(host_lock);
        s = d->free();
        current = nullptr;
        transfer = nullptr;
    }
    RtsCounts c = counts_of(d);
    d->done();
    std::printf("blocks delivered %ld, overruns %ld, underruns %ld\n", delivered.load(), c.overruns,
                c.underruns);
    if (refused.load())
        std::printf("blocks refused %ld\n", refused.load());
    if (s != ZR_OK) {
        std::fprintf(stderr, "vemo-rts: stopping %s: %s\n", d->name, s);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    double seconds = 5;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seconds" && i + 1 < args.size()) {
            char *end = nullptr;
            seconds = std::strtod(args[i + 1].c_str(), &end);
            if (*end || !(seconds >= 0 && seconds <= 86400)) {
                std::fprintf(stderr, "vemo-rts: --seconds takes 0 to 86400\n");
                return 2;
            }
            args.erase(args.begin() + (long)i, args.begin() + (long)i + 2);
            --i;
        }
        else if (args[i] == "-h" || args[i] == "--help") {
            std::fputs(USAGE, stdout);
            return 0;
        }
    }
    std::signal(SIGINT, [](int) { interrupted.store(true); });

    // JACK first, ALSA last, as the host registers them.
    ZR_Rts_Jack::classInit(&block);
    ZR_Rts_Alsa::classInit(&block);
    int status = 2;
    if (args.empty() || (args.size() == 1 && args[0] == "list")) {
        status = list();
    }
    else if (args[0] == "run" && (args.size() == 2 || args.size() == 3)) {
        int mode = 1;
        if (args.size() == 3) {
            char *end = nullptr;
            long v = std::strtol(args[2].c_str(), &end, 10);
            mode = *end || v < 1 || v > 1000 ? -1 : (int)v;
        }
        if (mode > 0)
            status = run(args[1].c_str(), mode, seconds);
        else
            std::fputs(USAGE, stderr);
    }
    else {
        std::fputs(USAGE, stderr);
    }
    ZR_Rts_Jack::class_cleanup();
    ZR_Rts_Alsa::class_cleanup();
    return status;
}

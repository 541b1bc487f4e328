// vemo.so as a host loads it: the four entry names, nothing of the framework
// visible, and two copies living beside each other and beside this binary's
// own copy of the framework.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "plugin_host.h"

namespace {

typedef AEffect *(*Entry)(audioMasterCallback);

std::string copy_of_plugin()
{
    std::string path = testing::TempDir() + "vemo_copy_" + std::to_string(getpid()) + ".so";
    std::ifstream from(VEMO_SO_PATH, std::ios::binary);
    std::ofstream to(path, std::ios::binary);
    to << from.rdbuf();
    return path;
}

std::vector<float> render(AEffect *e, const std::vector<float> &in)
{
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    e->setParameter(e, 1, 0.6f);
    std::vector<float> in_copy = in, out0(in.size()), out1(in.size());
    float *ins[] = {in_copy.data()};
    float *outs[] = {out0.data(), out1.data()};
    e->processReplacing(e, ins, outs, (int32_t)in.size());
    return out0;
}

TEST(SharedObject, TwoCopiesAndTheHostsOwnFrameworkCoexist)
{
    std::string second = copy_of_plugin();
    void *a = dlopen(VEMO_SO_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(a, nullptr) << dlerror();
    void *b = dlopen(second.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(b, nullptr) << dlerror();

    for (void *h : {a, b}) {
        for (const char *name : {"VSTPluginMain", "main", "MAIN", "_VSTPluginMain"})
            EXPECT_NE(dlsym(h, name), nullptr) << name;
        for (const char *name :
             {"_Z5spcppPKcz", "_ZN12ZR_Soundpipe7currentE", "_ZN11ZR_Main_VstD0Ev"})
            EXPECT_EQ(dlsym(h, name), nullptr) << name;
    }

    Entry ea = (Entry)dlsym(a, "main");
    Entry eb = (Entry)dlsym(b, "_VSTPluginMain");
    AEffect *fa = ea(&TestHost::callback);
    AEffect *fb = eb(&TestHost::callback);
    AEffect *own = VSTPluginMain(&TestHost::callback);
    ASSERT_TRUE(fa && fb && own);
    EXPECT_NE(fa->dispatcher, fb->dispatcher);

    std::vector<float> in = noise(5000, 0.5, 21);
    std::vector<float> x = render(fa, in), y = render(fb, in), z = render(own, in);
    EXPECT_EQ(std::memcmp(x.data(), y.data(), x.size() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(x.data(), z.data(), x.size() * sizeof(float)), 0);

    for (AEffect *e : {fa, fb, own})
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    dlclose(b);
    dlclose(a);
    std::remove(second.c_str());
}

} // namespace

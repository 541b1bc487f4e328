// Buffers and the sound pipe: lengths, membership, current pipe, run order,
// and the lifetime of members around the pipe.
#include "pipe_test_util.h"

#include <cstring>
#include <string>

using namespace pipetest;

namespace {

class BufferLength : public PipeTest {};

TEST_F(BufferLength, BufferCreatedBeforeBlockLengthHasNoStorage)
{
    ZR_Soundpipe *pipe = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("ZR_Soundpipe", &pipe));
    ZR_Buffer *early = make_buffer("early");
    EXPECT_EQ(0, query_int("%o -l", early));
    EXPECT_EQ(0, early->requested);
    EXPECT_EQ(nullptr, early->data);

    EXPECT_EQ(ZR_OK, spcpp("%o -bl %i", pipe, 64));
    // Setting the block length later does not give the early buffer storage.
    EXPECT_EQ(0, query_int("%o -l", early));
    ZR_Buffer *late = make_buffer("late");
    EXPECT_EQ(64, query_int("%o -l", late));
    EXPECT_EQ(64, late->length);
    EXPECT_EQ(late->data + 64, late->shadow);

    EXPECT_EQ(1, query_int("%o -e", pipe));
    destroy_all(late, early, pipe);
}

TEST_F(BufferLength, LowerBlockLengthShrinksReportNotStorage)
{
    ZR_Soundpipe *pipe = make_pipe(512);
    ZR_Buffer *b = make_buffer();
    for (int i = 0; i < 512; ++i)
        EXPECT_EQ(0, b->data[i]) << i;

    EXPECT_EQ(ZR_OK, spcpp("%o -bl %i", pipe, 100));
    EXPECT_EQ(100, query_int("%o -l", b));
    EXPECT_EQ(512, b->length);
    ZR_Buffer *after = make_buffer();
    EXPECT_EQ(100, query_int("%o -l", after));
    EXPECT_EQ(100, after->length);

    // Raising it past the storage never reports more than was allocated.
    EXPECT_EQ(ZR_OK, spcpp("%o -bl %i", pipe, 4096));
    EXPECT_EQ(512, query_int("%o -l", b));
    EXPECT_EQ(100, query_int("%o -l", after));

    end_pipe(pipe);
    destroy_all(after, b, pipe);
}

TEST_F(BufferLength, FixedLengthIgnoresThePipe)
{
    ZR_Soundpipe *pipe = make_pipe(512);
    ZR_Buffer *b = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("ZR_Buffer -l %i", &b, 100));
    EXPECT_EQ(100, query_int("%o -l", b));
    EXPECT_EQ(nullptr, b->pipe);
    EXPECT_EQ(ZR_OK, spcpp("%o -bl %i", pipe, 8));
    EXPECT_EQ(100, query_int("%o -l", b));
    EXPECT_EQ(ZR_OK, spcpp("%o -bl %i", pipe, 1024));
    EXPECT_EQ(100, query_int("%o -l", b));

    // Back to following the pipe: allocated at the block length of now.
    EXPECT_EQ(ZR_OK, spcpp("%o -l %i", b, -1));
    EXPECT_EQ(1024, query_int("%o -l", b));
    EXPECT_EQ(pipe, b->pipe);

    EXPECT_EQ(ZR_OK, spcpp("%o -l %i", b, 0));
    EXPECT_EQ(0, query_int("%o -l", b));
    EXPECT_EQ(nullptr, b->data);

    end_pipe(pipe);
    destroy_all(b, pipe);
}

TEST_F(BufferLength, FollowingWithoutPipeOrWithOutOfRangeLengthGivesNoStorage)
{
    ZR_Buffer *b = make_buffer();
    EXPECT_EQ(0, query_int("%o -l", b));
    EXPECT_EQ(0, b->requested);
    EXPECT_EQ(nullptr, b->pipe);

    EXPECT_EQ(ZR_OK, spcpp("%o -l %i", b, 16));
    EXPECT_EQ(16, query_int("%o -l", b));
    EXPECT_EQ(ZR_OK, spcpp("%o -l %i", b, -1));
    EXPECT_EQ(0, query_int("%o -l", b));
    EXPECT_EQ(0, b->requested);

    EXPECT_EQ(ZR_OK, spcpp("%o -l %i", b, -2));
    EXPECT_EQ(0, query_int("%o -l", b));
    EXPECT_EQ(ZR_OK, spcpp("%o -l %i", b, (1 << 22) + 1));
    EXPECT_EQ(0, query_int("%o -l", b));
    EXPECT_EQ(nullptr, b->data);
    destroy(b);
}

class BufferOptions : public PipeTest {};

TEST_F(BufferOptions, NameIsCopiedAndLimitTruncates)
{
    char name[16];
    std::strcpy(name, "lpf_buffer");
    ZR_Buffer *b = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("ZR_Buffer -t %s", &b, name));
    std::strcpy(name, "changed");
    const char *shown = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("%o -t", b, &shown));
    EXPECT_STREQ("lpf_buffer", shown);

    EXPECT_EQ(0x3fffffff, query_int("%o -limit", b));
    EXPECT_EQ(ZR_OK, spcpp("%o -limit %f", b, -1000.9));
    EXPECT_EQ(-1000, query_int("%o -limit", b));
    EXPECT_EQ(ZR_OK, spcpp("%o -limit %i", b, 77));
    EXPECT_EQ(77, query_int("%o -limit", b));
    destroy(b);
}

class Soundpipe : public PipeTest {};

TEST_F(Soundpipe, BeginAndEndOnlyActOnTheCurrentPipe)
{
    ZR_Soundpipe *first = make_pipe(64);
    EXPECT_EQ(first, ZR_Soundpipe::current);
    ZR_Soundpipe *named = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("ZR_Soundpipe current", &named));
    EXPECT_EQ(first, named);

    // A second pipe becomes current on creation; `b` on the first changes nothing.
    ZR_Soundpipe *second = make_pipe(64);
    EXPECT_EQ(second, ZR_Soundpipe::current);
    EXPECT_EQ(0, query_int("%o -b", first));
    EXPECT_EQ(second, ZR_Soundpipe::current);
    EXPECT_EQ(0, query_int("%o -e", first));
    EXPECT_EQ(second, ZR_Soundpipe::current);

    EXPECT_EQ(1, query_int("%o -e", second));
    EXPECT_EQ(nullptr, ZR_Soundpipe::current);
    EXPECT_EQ(0, query_int("%o -e", second));
    ASSERT_EQ(ZR_OK, spcpp("ZR_Soundpipe current", &named));
    EXPECT_EQ(nullptr, named);

    EXPECT_EQ(1, query_int("%o -b", first));
    EXPECT_EQ(first, ZR_Soundpipe::current);
    EXPECT_EQ(0, query_int("%o -b", second));
    // `b` and `e` with a value act the same as queries.
    EXPECT_EQ(ZR_OK, spcpp("%o -e %i", first, 0));
    EXPECT_EQ(nullptr, ZR_Soundpipe::current);

    destroy_all(second, first);
}

TEST_F(Soundpipe, MembersJoinTheCurrentPipeInCreationOrder)
{
    ZR_Soundpipe *pipe = make_pipe(8);
    ZR_Buffer *a = make_buffer("a");
    ZR_Buffer *b = make_buffer("b");
    EXPECT_EQ(2, pipe->buffers.count);
    EXPECT_EQ(&a->link, pipe->buffers.first());
    EXPECT_EQ(&b->link, pipe->buffers.first()->next);
    end_pipe(pipe);

    // Objects created with no current pipe belong to none and never run.
    ZR_Buffer *loose = make_buffer("loose");
    ProbeEffect *stray = new ProbeEffect(a, b, 1);
    EXPECT_EQ(nullptr, stray->pipe);
    EXPECT_EQ(2, pipe->buffers.count);
    EXPECT_EQ(0, pipe->effects.count);
    pipe->process();
    EXPECT_EQ(0, stray->processed);

    destroy_all(stray, loose, b, a, pipe);
}

TEST_F(Soundpipe, InsertionPointAndBeforeOrderTheEffects)
{
    std::vector<int> trace;
    ZR_Soundpipe *pipe = make_pipe(4);
    ZR_Buffer *buf = make_buffer();
    ProbeEffect *e[5];
    auto make = [&](int id) {
        ProbeEffect *p = new ProbeEffect(buf, buf);
        p->id = id;
        p->trace = &trace;
        return p;
    };
    e[0] = make(0);
    e[1] = make(1);
    ASSERT_EQ(ZR_OK, spcpp("%o -be %o", pipe, e[1]));
    ZR_Effect *point = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("%o -be", pipe, &point));
    EXPECT_EQ(e[1], point);
    e[2] = make(2);
    e[3] = make(3);
    ASSERT_EQ(ZR_OK, spcpp("%o -be %i", pipe, 0));
    e[4] = make(4);

    pipe->process();
    EXPECT_EQ((std::vector<int>{0, 2, 3, 1, 4}), trace);

    // `before` moves an effect; its query names the follower, null at the end.
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -before %o", e[4], e[0]));
    ZR_Effect *next = nullptr;
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -before", e[4], &next));
    EXPECT_EQ(e[0], next);
    next = e[0];
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -before", e[1], &next));
    EXPECT_EQ(nullptr, next);
    trace.clear();
    pipe->process();
    EXPECT_EQ((std::vector<int>{4, 0, 2, 3, 1}), trace);

    // Outside the current pipe `before` changes nothing.
    end_pipe(pipe);
    ASSERT_EQ(ZR_OK, spcpp("ZR_Effect %o -before %o", e[1], e[4]));
    trace.clear();
    pipe->process();
    EXPECT_EQ((std::vector<int>{4, 0, 2, 3, 1}), trace);

    for (ProbeEffect *p : e)
        destroy(p);
    destroy_all(buf, pipe);
}

TEST_F(Soundpipe, DeletingTheInsertionPointAppendsAgain)
{
    std::vector<int> trace;
    ZR_Soundpipe *pipe = make_pipe(4);
    ProbeEffect *a = new ProbeEffect();
    ProbeEffect *point = new ProbeEffect();
    ASSERT_EQ(ZR_OK, spcpp("%o -be %o", pipe, point));
    destroy(point);
    EXPECT_EQ(nullptr, pipe->insert_before);
    ProbeEffect *b = new ProbeEffect();
    a->trace = b->trace = &trace;
    a->id = 1;
    b->id = 2;
    pipe->process();
    EXPECT_EQ((std::vector<int>{1, 2}), trace);
    end_pipe(pipe);
    destroy_all(b, a, pipe);
}

TEST_F(Soundpipe, ClearZeroesBuffersAndResetsEveryEffect)
{
    ZR_Soundpipe *pipe = make_pipe(16);
    ZR_Buffer *buf = make_buffer();
    ProbeEffect *on = new ProbeEffect(buf, buf, 5);
    ProbeEffect *off = new ProbeEffect(buf, buf, 5);
    end_pipe(pipe);
    set_on(off, 0);
    pipe->process();
    pipe->process();
    EXPECT_EQ(1, off->resets);
    buf->shadow[3] = 99;
    pipe->clear();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(0, buf->data[i]);
    EXPECT_EQ(99, buf->shadow[3]);
    EXPECT_EQ(1, on->resets);
    EXPECT_EQ(2, off->resets);
    destroy_all(off, on, buf, pipe);
}

TEST_F(Soundpipe, UnpreparedEffectIsAskedEveryBlockAndNeverRuns)
{
    ZR_Soundpipe *pipe = make_pipe(4);
    ZR_Buffer *buf = make_buffer();
    ProbeEffect *stubborn = new ProbeEffect(buf, buf, 1);
    stubborn->refuse_prepare = true;
    ProbeEffect *willing = new ProbeEffect(buf, buf, 1);
    end_pipe(pipe);
    for (int i = 0; i < 3; ++i)
        pipe->process();
    EXPECT_EQ(3, stubborn->prepares);
    EXPECT_EQ(0, stubborn->processed);
    EXPECT_EQ(1, willing->prepares);
    EXPECT_EQ(3, willing->processed);
    destroy_all(willing, stubborn, buf, pipe);
}

class PipeLifetime : public PipeTest {};

TEST_F(PipeLifetime, EffectDeletedInsideThePipeIsNoLongerRun)
{
    ZR_Soundpipe *pipe = make_pipe(32);
    ZR_Buffer *buf = make_buffer();
    ProbeEffect *first = new ProbeEffect(buf, buf, 1);
    ProbeEffect *doomed = new ProbeEffect(buf, buf, 100);
    ProbeEffect *last = new ProbeEffect(buf, buf, 10);
    end_pipe(pipe);
    destroy(doomed);
    EXPECT_EQ(2, pipe->effects.count);
    pipe->process();
    EXPECT_EQ(11, buf->data[31]);
    destroy_all(last, first);
    pipe->process();
    destroy_all(buf, pipe);
}

TEST_F(PipeLifetime, DeletingThePipeFirstDetachesItsMembers)
{
    ZR_Soundpipe *pipe = make_pipe(32);
    ZR_Buffer *buf = make_buffer();
    ProbeEffect *e = new ProbeEffect(buf, buf, 1);
    ASSERT_EQ(ZR_OK, spcpp("%o -be %o", pipe, e));
    destroy(pipe); // still current: it stops being current
    EXPECT_EQ(nullptr, ZR_Soundpipe::current);
    EXPECT_EQ(nullptr, e->pipe);
    EXPECT_EQ(nullptr, e->link.list);
    EXPECT_EQ(nullptr, buf->link.list);
    EXPECT_EQ(0, query_int("%o -l", buf));
    set_on(e, 0);
    destroy_all(e, buf);
}

TEST_F(PipeLifetime, BufferFollowingALaterPipeSurvivesThatPipe)
{
    ZR_Buffer *loose = make_buffer("loose");
    ZR_Soundpipe *pipe = make_pipe(32);
    ASSERT_EQ(ZR_OK, spcpp("%o -l %i", loose, -1));
    EXPECT_EQ(32, query_int("%o -l", loose));
    end_pipe(pipe);
    destroy(pipe);
    EXPECT_EQ(nullptr, loose->pipe);
    EXPECT_EQ(0, query_int("%o -l", loose));
    destroy(loose);
}

} // namespace

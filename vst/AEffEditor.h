// Base class of a plug-in editor: the effect it belongs to and the parent
// window the host gave it, with the editor operations the dispatcher reaches.
#pragma once

#include <cstdint>

#include "vst/aeffect.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect *effect);
    virtual ~AEffEditor();

    virtual AudioEffect *getEffect();
    // Stores the editor rectangle's address through rect (null here); true when one was given.
    virtual bool getRect(ERect **rect);
    // ptr is the host's parent window (on Linux an X11 window id in a pointer).
    virtual bool open(void *ptr);
    virtual void close();
    virtual bool isOpen();
    virtual void idle();
    virtual bool keyDown(VstKeyCode &keyCode);
    virtual bool keyUp(VstKeyCode &keyCode);
    virtual bool wheel(float distance);
    virtual bool setKnobMode(int32_t mode);

protected:
    AudioEffect *effect;
    void *systemWindow; // null while closed
};

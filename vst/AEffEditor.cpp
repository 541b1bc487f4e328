// Default editor: remembers its parent window and answers nothing.
#include "vst/AEffEditor.h"

AEffEditor::AEffEditor(AudioEffect *effect) : effect(effect), systemWindow(nullptr) {}

AEffEditor::~AEffEditor() = default;

AudioEffect *AEffEditor::getEffect()
{
    return effect;
}

bool AEffEditor::getRect(ERect **rect)
{
    if (rect)
        *rect = nullptr;
    return false;
}

bool AEffEditor::open(void *ptr)
{
    systemWindow = ptr;
    return false;
}

void AEffEditor::close()
{
    systemWindow = nullptr;
}

bool AEffEditor::isOpen()
{
    return systemWindow != nullptr;
}

void AEffEditor::idle() {}

bool AEffEditor::keyDown(VstKeyCode &)
{
    return false;
}

bool AEffEditor::keyUp(VstKeyCode &)
{
    return false;
}

bool AEffEditor::wheel(float)
{
    return false;
}

bool AEffEditor::setKnobMode(int32_t)
{
    return false;
}

// Scripted file dialogs for tests: each call takes the next queued answer
// (null = cancel) and records what it was asked.
#pragma once
#include "ZR/Dlg/ZR_Dlg.h"

#include <deque>
#include <string>
#include <vector>

class ZR_Dlg_File_Headless : public ZR_Dlg_File_Base {
public:
    explicit ZR_Dlg_File_Headless(const char *filter) : ZR_Dlg_File_Base(filter) {}
    const char *open_file() override;
    const char *save_file() override;

    struct Request {
        bool saving;
        std::string initial; // the name offered
    };
    // An empty queue answers cancel.
    std::deque<const char *> answers;
    std::vector<Request> requests;

private:
    const char *answer(bool saving);
};

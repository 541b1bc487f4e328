// Scripted file dialogs.
#include "ZR/Dlg/ZR_Dlg_File_Headless.h"

const char *ZR_Dlg_File_Headless::answer(bool saving)
{
    requests.push_back({saving, m_path});
    const char *chosen = nullptr;
    if (!answers.empty()) {
        chosen = answers.front();
        answers.pop_front();
    }
    return accept(chosen, saving) ? m_path : nullptr;
}

const char *ZR_Dlg_File_Headless::open_file()
{
    return answer(false);
}

const char *ZR_Dlg_File_Headless::save_file()
{
    return answer(true);
}

// ProgressBar: redrawn in place with a carriage return, at most once per permille.
#include "tools/render/progress.h"

#include <cstdio>
#include <unistd.h>

ProgressBar::ProgressBar(int64_t total, bool wanted)
    : total_(total), enabled_(wanted && total > 0 && isatty(STDERR_FILENO))
{
}

ProgressBar::~ProgressBar()
{
    if (enabled_ && last_permille_ >= 0)
        std::fputc('\n', stderr);
}

void ProgressBar::update(int64_t done)
{
    if (!enabled_)
        return;
    int permille = (int)(done >= total_ ? 1000 : done * 1000 / total_);
    if (permille == last_permille_)
        return;
    last_permille_ = permille;
    const int width = 40;
    char bar[width + 1];
    int filled = permille * width / 1000;
    for (int i = 0; i < width; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[width] = 0;
    std::fprintf(stderr, "\rrendering [%s] %3d.%d%%", bar, permille / 10, permille % 10);
    std::fflush(stderr);
}

void ProgressBar::finish()
{
    if (enabled_ && last_permille_ >= 0) {
        update(total_);
        std::fputc('\n', stderr);
        last_permille_ = -1;
    }
}

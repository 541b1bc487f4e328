// PNG previews of the artwork for people: every resource, strip contact
// sheets and a mock-up of the editor panel composed by the framework.
#pragma once
#include "tools/artwork/artwork.h"

#include <string>

// Writes DIR/<name>.png for every resource and DIR/panel.png; throws on failure.
void write_previews(const std::string &dir, const std::vector<Artwork> &all);

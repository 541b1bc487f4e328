// SVG figure of measured responses beside the ideal sixth-order Butterworth curves.
#pragma once
#include "tools/render/response.h"

#include <string>
#include <vector>

std::string response_svg(const std::vector<ResponseCurve> &curves, double fs);

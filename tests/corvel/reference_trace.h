// A second ray tracer, written apart from the plug-in's for checking it: it follows the
// description of the trace step by step with the library's own vectors and colours,
// walks the world's lists directly, shades every nearer hit as it meets it and makes a
// child ray per shaded hit. Slow, and plain enough to read against the description.
#pragma once

#include <cstdint>
#include <vector>

class KXCAMERA;
class KXWORLD;

// The packed pixels (alpha, red, green, blue from the top byte) of a width × height view
// of the world from the camera, top row first, traced with depth 3.
std::vector<std::uint32_t> ReferenceRender(KXWORLD& world, KXCAMERA& camera, int width, int height);

// The raytracer's demo scene for POV-Ray, the peer of the raytracer benchmark: three
// spheres over a green ground plane, one white point light, black background, the same
// camera and field of view, no ambient light, reflection and transmission down to three
// generations. Rendered at 800 x 600 without anti-aliasing on one work thread
// (raytrace_bench passes +W800 +H600 -A +WT1).
//
// The raytracer's shading in POV-Ray's terms: a Lambert diffuse term (diffuse 1), a
// highlight of 0.1 times the cosine between the mirrored view ray and the light to the
// power 4 (phong 0.1, phong_size 4; the red sphere has none), and a transparent blue
// sphere that lets 0.8 of what lies behind it through without bending (ior 1).
#version 3.7;

global_settings {
    assumed_gamma 1.0
    ambient_light rgb 0
    max_trace_level 3
}

background { rgb 0 }

// The raytracer looks along +z from its camera with an image plane at 1.5 times the half
// width: a horizontal field of view of 2 atan(1 / 1.5).
camera {
    perspective
    location <0, 3, -8>
    direction <0, 0, 1.5>
    right x * 2
    up y * 1.5
}

light_source { <5, 15, -5> color rgb 1 }

#declare Shiny = finish { ambient 0 diffuse 1 phong 0.1 phong_size 4 }

sphere {
    <-3.5, 2, 2>, 2
    pigment { rgb <1, 0, 0> }
    finish { ambient 0 diffuse 1 }
}

sphere {
    <3, 3, 3>, 1.5
    pigment { rgb <100, 100, 100> / 255 }
    finish { Shiny }
}

sphere {
    <-0.5, 2, -3>, 1
    pigment { rgbt <0, 50 / 255, 200 / 255, 0.8> }
    finish { Shiny }
    interior { ior 1.0 }
}

plane {
    y, 0
    pigment { rgb <0, 200, 0> / 255 }
    finish { Shiny }
}

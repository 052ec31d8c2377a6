#pragma once

// How long tests wait for a window manager or X server to show or activate a window. The wait ends
// as soon as the window is ready; the bound is generous because CI machines can be heavily loaded.
inline constexpr int kWindowWait = 20000;

#pragma once

// The project's home page, where the footer of an HTML report points. One place, so that
// the About box and the reports can never disagree; the build will supply it later.
inline constexpr char homePageUrl[] = "https://purvex.example.org/";

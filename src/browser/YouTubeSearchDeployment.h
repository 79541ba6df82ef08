#pragma once

// Deployment values of the tutorial browser: the tutorial channel and the video platform's host
// names. A build for another channel passes its own copy of this header to CMake with
// -DHB_YOUTUBE_SEARCH_DEPLOYMENT=/path/to/header.h; only YouTubeSearchSite.cpp includes it.

#include <QLatin1StringView>

#include <array>

namespace hb::YouTubeSearchDeployment {

// Shown after "Search: " in the screen's header.
inline constexpr QLatin1StringView channelDisplayName{"Huebench"};

// Loaded when no search site is set.
inline constexpr QLatin1StringView channelVideosPage{"https://www.youtube.com/@huebench/videos"};

// Host names allowed as they stand, lower case.
inline constexpr std::array<QLatin1StringView, 10> exactHosts{
    QLatin1StringView{"www.youtube.com"},     // main web host
    QLatin1StringView{"youtube.com"},         // bare domain
    QLatin1StringView{"m.youtube.com"},       // mobile web host
    QLatin1StringView{"accounts.google.com"}, // sign-in
    QLatin1StringView{"youtu.be"},            // short links
    QLatin1StringView{"www.youtu.be"},
    QLatin1StringView{"i.ytimg.com"}, // thumbnails
    QLatin1StringView{"ytimg.com"},
    QLatin1StringView{"lh3.googleusercontent.com"}, // user content images
    QLatin1StringView{"yt3.ggpht.com"},             // channel avatars
};

// Host endings allowed; each starts with "." so that it only matches whole labels.
inline constexpr std::array<QLatin1StringView, 7> hostSuffixes{
    QLatin1StringView{".youtube.com"},
    QLatin1StringView{".google.com"},
    QLatin1StringView{".youtu.be"},
    QLatin1StringView{".gstatic.com"},
    QLatin1StringView{".googleusercontent.com"},
    QLatin1StringView{".ggpht.com"},
    QLatin1StringView{".ytimg.com"},
};

} // namespace hb::YouTubeSearchDeployment

// The playlist request URL.
#pragma once

#include <string_view>

#include "toolkit/text.h"

inline constexpr std::string_view PlaylistUrlPrefix =
    "http://qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=";

// The prefix followed by the account exactly as typed: not trimmed, checked or encoded.
inline Text PlaylistUrl(std::string_view account) {
    return JoinText({PlaylistUrlPrefix, account});
}

// The program's main action: fetch an account's playlist and fill the song list.
#pragma once

#include <functional>

#include "toolkit/text.h"
#include "toolkit/window_toolkit.h"

// Sends one request (method, url) and returns the reply body; empty on any failure.
using FetchRoutine = std::function<Text(const Text& method, const Text& url)>;

// Fetches the playlist of the account, then refills 超级列表框1 (number, name, link per
// song) and writes the row count into 标签_状态.
void SearchPlaylist(WindowToolkit& toolkit, const FetchRoutine& fetch, const Text& account);

// The click handler of 按钮_搜索: the button stays disabled while the search runs.
void OnSearchClicked(WindowToolkit& toolkit, const FetchRoutine& fetch);

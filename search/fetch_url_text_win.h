// FetchUrlText: one HTTP request through the system's request component.
#pragma once

#include "toolkit/text.h"

// Sends the request and returns the reply body up to its first zero byte, exactly as the
// server sent it; the empty text on any failure. A URL that does not begin with "http"
// (any letter case) gets "http://" in front. Blocks until the component is done.
Text FetchUrlText(const Text& method, const Text& url, bool asynchronous = false);

// A GET request.
Text FetchUrlText(const Text& url);

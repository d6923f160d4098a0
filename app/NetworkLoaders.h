#pragma once

namespace busdesk {

// Points the toolkit's remote images and web pages at the HTTP client. Without this they show
// their placeholders and blank pages; the app calls it once at start.
void installNetworkLoaders();

}  // namespace busdesk

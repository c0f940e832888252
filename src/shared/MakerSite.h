// The maker's web server: the one place its address is kept. Every
// address of the maker (default feed list, information feed, update
// folder, home page) is built from MakerServer().
#pragma once
#include <string>

// Shipped address, without a trailing slash.
inline constexpr const char kMakerServer[] = "https://www.pelmoriad.jp";

// The maker's contact address (the OPML export names it as the list's owner).
inline constexpr const char kMakerContactMail[] = "tessivar@pelmoriad.jp";

// Tests point the programs at their own server on this machine by setting
// TESSIVAR_MAKER_BASE (e.g. "http://127.0.0.1:8123"). Only "http://", the
// host 127.0.0.1 or localhost and an optional port are taken, so the
// variable can never send the update download elsewhere; unset (the
// shipped case), nothing changes.
bool IsLoopbackMakerBase(const std::string& base);
std::string MakerServer();

// Whether program files (update files, the OEM package) may be fetched
// from url: only over https, or from the test server named above, as
// anyone on the way can rewrite a plain http answer.
bool IsProgramDownloadAddress(const std::string& url);

// path begins with "/".
inline std::string MakerUrl(const std::string& path) { return MakerServer() + path; }

inline std::string MakerHomePage() { return MakerUrl("/tessivar/"); }
inline std::string MakerDeskPage() { return MakerUrl("/tessivar/desk/"); }
// The product page of the taskbar-band edition.
inline std::string MakerBandPage() { return MakerUrl("/tessivar/band/"); }
inline std::string MakerDefaultFeedListUrl() { return MakerUrl("/download/TessivarOrvanel.def"); }
inline std::string MakerInfoFeedUrl() { return MakerUrl("/rss/tessivarorvanel.rdf"); }
// The product's update folder; OEM packages lie in sub-folders of it.
inline std::string MakerUpdateFolder() { return MakerUrl("/download/plinvat/"); }

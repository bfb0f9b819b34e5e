// The system clipboard: putting text on it, and reading text and the files
// a file manager copied.
//
// Text comes through SDL. Linux programs end clipboard lines with LF alone;
// the program's texts and readers expect CR LF, so the text is handed over
// with CR LF line ends.
//
// SDL only carries text. Images and files go over a connection of our own
// to the X server. Files copied in a file manager are offered under the
// targets "text/uri-list" (every desktop) and
// "x-special/gnome-copied-files" (GNOME's file manager and those that copy
// it); these are read from the X11 CLIPBOARD selection over a connection of
// our own. In a Wayland session the same targets reach X11 programs through
// Xwayland, which carries the selection across with its MIME types, so the
// one path serves both. Images are read from the targets "image/bmp",
// "image/png" and "image/jpeg" the same way, and offered under the first two
// by a ClipboardOffer.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pantrela::platform {

// Puts Windows-1252 text on the clipboard as plain UTF-8 text (a NUL byte,
// which the clipboard cannot carry, is left out). False when there is no
// clipboard to put it on (no window system in this process).
bool PutClipboardText(std::string_view ansi);

// SDL reads the clipboard through its video subsystem. A process without a
// window (pantrela-cli) starts it for as long as this object lives; ok() is
// false where there is no window system to reach.
class ClipboardSession {
 public:
  ClipboardSession();
  ~ClipboardSession();
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool ok() const { return ok_; }

 private:
  bool started_ = false;
  bool ok_ = false;
};

// LF and CR LF become CR LF; a CR alone stays as it is.
std::string ClipboardLineEnds(std::string_view text);

// The clipboard's text in UTF-8 with CR LF line ends; false when there is
// none (or SDL's video is not running).
bool ReadClipboardText(std::string& utf8);

// Local file paths of a "text/uri-list" text (one URI a line, "#" lines are
// comments) or of an "x-special/gnome-copied-files" text (the same after a
// first line "copy" or "cut"). Only file URIs of this machine count
// ("file:///p", "file://localhost/p" or this host's name); their paths are
// percent-decoded into the bytes the file system uses.
std::vector<std::string> FilesFromUriList(std::string_view text, std::string_view hostName = {});

// The files on the clipboard, from the targets above; false when it holds
// no local file. `display` names the X display ("" for $DISPLAY); waits at
// most `timeoutMs` for the owner to answer.
bool ReadClipboardFiles(std::vector<std::string>& paths, const std::string& display = {}, int timeoutMs = 1000);

// What reading the clipboard found.
enum class ClipboardRead {
  kUnreachable,  // no X display to read from
  kNothing,      // no owner, or none of the targets asked for
  kFound,
};

// The image on the clipboard: the bytes of the first target the owner gives
// of "image/bmp", "image/png" and "image/jpeg" (a whole image file each),
// and that target in `type`.
ClipboardRead ReadClipboardImage(std::string& bytes, std::string& type, const std::string& display = {},
                                 int timeoutMs = 1000);

// Holds the CLIPBOARD selection with data of our own (MIME type -> bytes)
// and answers other programs' requests for it, with "TARGETS" and
// "TIMESTAMP", on a thread and connection of its own. It stops when another
// program takes the clipboard, when Offer is called again, or when the
// object goes. Values above `incrAbove` bytes go in pieces (the
// incremental transfer).
class ClipboardOffer {
 public:
  ClipboardOffer();
  ~ClipboardOffer();
  ClipboardOffer(const ClipboardOffer&) = delete;
  ClipboardOffer& operator=(const ClipboardOffer&) = delete;

  // False when there is no X display or the clipboard could not be taken.
  bool Offer(std::map<std::string, std::string> targets, const std::string& display = {},
             size_t incrAbove = 256u << 10);
  void Withdraw();
  // True while we still hold the clipboard.
  bool owned() const;
  // Requests answered so far (for tests).
  int requests() const;

 private:
  struct Server;
  std::unique_ptr<Server> server_;
};

}  // namespace pantrela::platform

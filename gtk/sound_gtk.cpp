#include "gtk/sound_gtk.h"

#include <gst/gst.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "gtk/embedded.h"
#include "resources/resource_ids.h"

namespace {

int MemoryFile(const char* name, const EmbeddedFile& file) {
  const int fd = memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) return -1;
  size_t done = 0;
  while (done < file.size) {
    const ssize_t n = write(fd, file.data + done, file.size - done);
    if (n <= 0) {
      close(fd);
      return -1;
    }
    done += static_cast<size_t>(n);
  }
  return fd;
}

// The end of a looped sound starts it again; an error (a missing file, bytes
// that are no sound) ends in silence.
gboolean OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
  auto* sound = static_cast<SoundState*>(data);
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
      if (sound->loop) {
        gst_element_seek_simple(sound->player, GST_FORMAT_TIME,
                                static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH), 0);
      } else {
        gst_element_set_state(sound->player, GST_STATE_NULL);
      }
      break;
    case GST_MESSAGE_ERROR: gst_element_set_state(sound->player, GST_STATE_NULL); break;
    default: break;
  }
  return TRUE;
}

// GStreamer and its player are loaded at the first sound, not at start: most
// of the time no alarm rings, and they weigh some megabytes.
bool Ready(SoundState& sound) {
  if (sound.tried) return sound.player != nullptr;
  sound.tried = true;
  if (!gst_init_check(nullptr, nullptr, nullptr)) return false;
  sound.player = gst_element_factory_make("playbin", "alarm");
  if (!sound.player) return false;
  // Sound only: a file with pictures in it shows none.
  g_object_set(sound.player, "video-sink", gst_element_factory_make("fakesink", nullptr), nullptr);
  GstBus* bus = gst_element_get_bus(sound.player);
  gst_bus_add_watch(bus, OnBusMessage, &sound);
  gst_object_unref(bus);
  return true;
}

void PlayUri(SoundState& sound, const std::string& uri, bool loop) {
  StopPlaying(sound);
  if (uri.empty() || !Ready(sound)) return;
  sound.loop = loop;
  g_object_set(sound.player, "uri", uri.c_str(), nullptr);
  gst_element_set_state(sound.player, GST_STATE_PLAYING);
}

std::string FdUri(int fd) {
  return fd < 0 ? std::string() : "file:///proc/self/fd/" + std::to_string(fd);
}

}  // namespace

void PlayBuiltInSound(SoundState& sound, int resource_id, bool loop) {
  int* held = resource_id == IDW_SOUND_OK ? &sound.ok_fd
              : resource_id == IDW_SOUND_LAUGH ? &sound.laugh_fd : nullptr;
  if (held && *held < 0) {
    *held = resource_id == IDW_SOUND_OK ? MemoryFile("kurimaro-ok", kOkWav)
                                         : MemoryFile("kurimaro-laugh", kLaughWav);
  }
  const int fd = held ? *held : -1;
  if (fd < 0) {
    StopPlaying(sound);
    return;
  }
  PlayUri(sound, FdUri(fd), loop);
}

// The behaviour plays only a regular WAVE file it has looked at, so nothing
// here opens a FIFO; a relative path is the working directory's, as there.
void PlaySoundPath(SoundState& sound, const char* path, bool loop) {
  if (!path || !path[0]) {
    StopPlaying(sound);
    return;
  }
  gchar* absolute = g_canonicalize_filename(path, nullptr);
  gchar* uri = g_filename_to_uri(absolute, nullptr, nullptr);
  g_free(absolute);
  PlayUri(sound, uri ? uri : "", loop);
  g_free(uri);
}

void StopPlaying(SoundState& sound) {
  sound.loop = false;
  if (sound.player) gst_element_set_state(sound.player, GST_STATE_NULL);
}

void FreeSound(SoundState& sound) {
  StopPlaying(sound);
  if (sound.player) {
    GstBus* bus = gst_element_get_bus(sound.player);
    gst_bus_remove_watch(bus);
    gst_object_unref(bus);
    gst_object_unref(sound.player);
  }
  sound.player = nullptr;
  if (sound.ok_fd >= 0) close(sound.ok_fd);
  if (sound.laugh_fd >= 0) close(sound.laugh_fd);
  sound.ok_fd = sound.laugh_fd = -1;
}

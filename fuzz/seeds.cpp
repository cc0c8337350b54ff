// kolvane-fuzz-seeds DIR: writes the seed corpus of every fuzz target into
// DIR/<target>/, made with the code that reads it, so that the seeds follow
// the formats: the product's chunks and preset files, the state-chunk
// plug-in's, PNG files of every colour type, event lists, typed values,
// note lists and MIDI files. The committed corpus under fuzz/corpus comes
// from it.

#include "FuzzPlugin.h"
#include "PngFixtures.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
typedef std::vector<uint8_t> Bytes;

std::string gRoot;

void write(const std::string& target, const std::string& name, const Bytes& bytes)
{
  const std::string folder = gRoot + "/" + target;
  mkdir(folder.c_str(), 0755);
  const std::string path = folder + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
  {
    std::fprintf(stderr, "kolvane-fuzz-seeds: cannot write %s\n", path.c_str());
    std::exit(1);
  }
  std::fclose(file);
}

Bytes withSelector(uint8_t selector, const void* data, size_t size)
{
  Bytes out{selector};
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  out.insert(out.end(), bytes, bytes + size);
  return out;
}

Bytes text(const std::string& s)
{
  return Bytes(s.begin(), s.end());
}

void stateChunks()
{
  fuzz::Instance<Kolvane> plug;
  for (VstInt32 index : {1, 0})
  {
    void* chunk = nullptr;
    const VstIntPtr size = plug.Dispatch(effGetChunk, index, 0, &chunk);
    write("state_chunk", index ? "program" : "bank", withSelector(index ? 0 : 1, chunk, size));
  }
  for (VstInt32 i = 0; i < plug.Effect()->numParams; ++i)
    plug.Effect()->setParameter(plug.Effect(), i, static_cast<float>(i % 7) / 6.0f);
  void* chunk = nullptr;
  const VstIntPtr size = plug.Dispatch(effGetChunk, 1, 0, &chunk);
  write("state_chunk", "program-edited", withSelector(0, chunk, size));
}

template <class Plug> void presetFiles(uint8_t plugBit, const char* name)
{
  fuzz::Instance<Plug> plug;
  ByteChunk fxp, fxb;
  plug.Plugin()->Presets().GetProgramFXP(&fxp);
  plug.Plugin()->Presets().GetBankFXB(&fxb);
  write("preset_file", std::string(name) + ".fxp",
        withSelector(plugBit, fxp.GetBytes(), static_cast<size_t>(fxp.Size())));
  write("preset_file", std::string(name) + ".fxb",
        withSelector(plugBit | 1, fxb.GetBytes(), static_cast<size_t>(fxb.Size())));
}

void pngs()
{
  struct Kind
  {
    const char* name;
    int colorType;
    int bitDepth;
    bool interlaced;
  };
  const Kind kinds[] = {
      {"gray1", 0, 1, false},       {"gray4", 0, 4, false}, {"gray16", 0, 16, false},
      {"rgb8", 2, 8, false},        {"rgb16", 2, 16, true}, {"palette2", 3, 2, false},
      {"gray-alpha8", 4, 8, false}, {"rgba8", 6, 8, true},  {"rgba16", 6, 16, false}};
  for (const Kind& kind : kinds)
  {
    fixtures::PngRecipe recipe;
    recipe.width = 3;
    recipe.height = 2;
    recipe.colorType = kind.colorType;
    recipe.bitDepth = kind.bitDepth;
    recipe.interlaced = kind.interlaced;
    const int channels = kind.colorType == 2   ? 3
                         : kind.colorType == 4 ? 2
                         : kind.colorType == 6 ? 4
                                               : 1;
    const int top = (1 << kind.bitDepth) - 1;
    for (int i = 0; i < recipe.width * recipe.height * channels; ++i)
      recipe.samples.push_back(
          static_cast<uint16_t>((i * 37) % (kind.colorType == 3 ? 4 : top + 1)));
    if (kind.colorType == 3)
    {
      recipe.palette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
      recipe.paletteAlpha = {255, 128};
    }
    write("png", std::string(kind.name) + ".png", fixtures::encode(recipe));
  }
}

void midiEvents()
{
  // delta (16 bits), kind (0 MIDI, 1 system exclusive, 2 other), three
  // message bytes, two flag bytes.
  write("midi_events", "note-on-off", {0, 0, 0, 0x90, 60, 100, 0, 0, 200, 0, 0, 0x80, 60, 0, 0, 0});
  write("midi_events", "outside-the-block",
        {0xFF, 0xFF, 0, 0x90, 62, 90, 0, 0, 0, 4, 0, 0x90, 64, 90, 0, 0});
  write("midi_events", "sysex", {10, 0, 1, 0, 0, 0, 0, 0, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  write("midi_events", "other-types", {5, 0, 2, 4, 1, 2, 3, 0, 7, 0, 2, 99, 0, 0, 0, 0});
}

void paramTexts()
{
  // The first byte chooses the parameter, offset by one.
  write("param_text", "cutoff", withSelector(9, "0.5", 3));
  write("param_text", "attack-number", withSelector(1, "1.25", 4));
  write("param_text", "step-on", withSelector(21, "1", 1));
  write("param_text", "filter-type", withSelector(18, "Filter Type", 11));
  write("param_text", "out-of-range", withSelector(0, "7", 1));
}

void noteLists()
{
  write("render_notes", "one", text("0:60:1"));
  write("render_notes", "two-with-velocity", text("0:60:1,1:64:0.5:90"));
  write("render_notes", "spaces", text(" 2.5 : 67 : 0.25 , 4:48:4:127"));
}

// A Standard MIDI File: header, then one track per list of events.
Bytes midiFile(int format, int division, const std::vector<Bytes>& tracks)
{
  Bytes out = text("MThd");
  for (int v :
       {0, 0, 0, 6, 0, format, 0, static_cast<int>(tracks.size()), division >> 8, division & 0xFF})
    out.push_back(static_cast<uint8_t>(v));
  for (const Bytes& track : tracks)
  {
    const Bytes head = text("MTrk");
    out.insert(out.end(), head.begin(), head.end());
    const size_t n = track.size();
    for (int shift : {24, 16, 8, 0})
      out.push_back(static_cast<uint8_t>(n >> shift));
    out.insert(out.end(), track.begin(), track.end());
  }
  return out;
}

void midiFiles()
{
  const Bytes end = {0x00, 0xFF, 0x2F, 0x00};
  Bytes notes = {0x00, 0x90, 60, 100,  0x60, 0x80, 60, 0, 0x00,
                 0x90, 64,   90, 0x83, 0x00, 0x80, 64, 0};
  notes.insert(notes.end(), end.begin(), end.end());
  write("render_midi_file", "format0", midiFile(0, 96, {notes}));
  Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
  tempo.insert(tempo.end(), end.begin(), end.end());
  write("render_midi_file", "format1-tempo", midiFile(1, 480, {tempo, notes}));
  // Running status: the second note-on leaves its status out.
  Bytes running = {0x00, 0x90, 60, 100, 0x10, 62, 100, 0x10, 0x80, 60, 0, 0x00, 62, 0};
  running.insert(running.end(), end.begin(), end.end());
  write("render_midi_file", "running-status", midiFile(0, 96, {running}));
}
} // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: kolvane-fuzz-seeds DIR\n");
    return 2;
  }
  gRoot = argv[1];
  mkdir(gRoot.c_str(), 0755);
  stateChunks();
  presetFiles<Kolvane>(0, "kolvane");
  presetFiles<fuzz::ChunkPlug>(2, "chunk-plug");
  pngs();
  midiEvents();
  paramTexts();
  noteLists();
  midiFiles();
  return 0;
}

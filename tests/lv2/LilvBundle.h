#pragma once

// One bundle loaded into a lilv world, as a host loads it, and the plug-in
// of `uri` in it; null when there is none.

#include <lilv/lilv.h>

#include <string>

inline const LilvPlugin* LoadBundlePlugin(LilvWorld* world, const std::string& folder,
                                          const char* uri)
{
  const std::string path = folder.empty() || folder.back() != '/' ? folder + "/" : folder;
  LilvNode* bundle = lilv_new_file_uri(world, nullptr, path.c_str());
  lilv_world_load_bundle(world, bundle);
  lilv_node_free(bundle);
  LilvNode* node = lilv_new_uri(world, uri);
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), node);
  lilv_node_free(node);
  return plugin;
}

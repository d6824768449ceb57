// The launcher's command table.
#include "tool_table.h"

#include <cstring>

const ToolCommand kToolCommands[12] = {
    {"qel_import", "-ms8m qel.importer.Main"},
    {"qel_init_base", "-ms8m qel.importer.Main -boot"},
    {"qel_unimport", "-ms8m qel.importer.Main -delete"},
    {"qel_dump_classes", "-ms8m qel.importer.Main -dumpclass"},
    {"qel_dump_tables", "-ms8m qel.importer.Main -dumpsql"},
    {"qel_store_bytecode", "-ms8m qel.importer.Main -meta"},
    {"qel_dump_bytecode", "-ms8m qel.importer.Main -dumpmeta"},
    {"qel_delete_bytecode", "-ms8m qel.importer.Main -meta -delete"},
    {"qel_create_base", "-ms8m qel.util.CreateBase"},
    {"qel_create_importer", "-ms8m qel.util.CreateImporter"},
    {"qel_delete_importer", "-ms8m qel.util.DeleteImporter"},
    {"qel_delete_base", "-ms8m qel.util.DeleteBase"},
};

const char* findToolCommand(const char* baseName) {
  for (const ToolCommand& command : kToolCommands) {
    if (std::strcmp(command.name, baseName) == 0) return command.fixedPart;
  }
  return nullptr;
}

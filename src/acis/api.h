#pragma once

// API calls of the modeller layer. Each runs in its own API block and answers an outcome.

#include "errors.h"

class AcisOptions;  // options of the real modeller; always null here
class ENTITY;
class ENTITY_LIST;
class FileInterface;

// Saves the entities of the list, in list order, with everything they refer to (attributes,
// owners), stamped with the installed file information.
DECL_KERN outcome api_save_entity_list_file(FileInterface* file, const ENTITY_LIST& list,
                                            AcisOptions* ao = nullptr);
// Restores one saved entity list and appends its entities, in saved order, to the list.
// On failure nothing is appended and nothing restored is left behind.
DECL_KERN outcome api_restore_entity_list_file(FileInterface* file, ENTITY_LIST& list,
                                               AcisOptions* ao = nullptr);
// Copies an entity with the attributes whose copy action says so.
DECL_KERN outcome api_copy_entity(ENTITY* entity, ENTITY*& copy, AcisOptions* ao = nullptr);

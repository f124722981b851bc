// Creation of library objects, and of arrays of them, by their class-name literal:
// the local bodies of the memory manager's CreateObject, CreateObjectArray and
// DeleteObjectArray.
#pragma once

class KXOBJECT;

// *out = a new object of the named class, or null when no class has that name.
void CreateObjectByName(KXOBJECT** out, const char* className);
// *out = a new array of count objects of the named class; null for a count below 1 or a
// name that no class has.
void CreateObjectArrayByName(KXOBJECT** out, const char* className, int count);
// Destroys every element of an array made by CreateObjectArrayByName, releases it and
// sets *p to null.
void DeleteObjectArrayByName(KXOBJECT** p);

// Creation of library objects, and of arrays of them, by their class-name literal:
// the local bodies of the memory manager's CreateObject, CreateObjectArray and
// DeleteObjectArray.
#pragma once

class KXOBJECT;

// *out = a new object of the named class, or null when no class has that name.
void CreateObjectByName(KXOBJECT** out, const char* className);
// *out = a new array of count objects of the named class; a name that no class has
// leaves *out as it was.
void CreateObjectArrayByName(KXOBJECT** out, const char* className, int count);
// Destroys the array *p, chosen by the class of its elements, and sets *p to null.
void DeleteObjectArrayByName(KXOBJECT** p);

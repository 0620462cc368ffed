// The decks' programme lists: adding, deleting, clearing and moving entries.
#include "UMIXER.h"

void Tform_mixer::wireListsAndLibrary()
{
}

// The point file: each record is a 20-character name and two coordinate pairs, both carried
// through TransformPoint and written in 18 columns with 2 decimals; the rest of the line is
// copied. A record with a number that cannot be read is reported and left out. The task
// ConvertPoints (convert/MapFileTask.h) runs it.
#pragma once

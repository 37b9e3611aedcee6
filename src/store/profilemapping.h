#pragma once

// Collecting the editor page into a row and loading a row into it.
namespace profilemapping {}

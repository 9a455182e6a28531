// Keeps a folder library valid on a platform where the folder has no sources.

"""An error of the system as the project displays one everywhere: its description, then
"(os error N)"."""


def described(error):
    if isinstance(error, OSError) and error.errno is not None:
        where = f"{error.filename}: " if error.filename is not None else ""
        return f"{where}{error.strerror} (os error {error.errno})"
    return str(error)

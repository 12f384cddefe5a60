"""An error of the system as the project displays one everywhere: its description, then
"(os error N)"."""


def described(error):
    if isinstance(error, OSError) and error.errno is not None:
        return f"{error.strerror} (os error {error.errno})"
    return str(error)

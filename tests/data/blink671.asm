; Test data for the Intel HEX reader: a 12C671 that blinks GP0.
; Assemble: gpasm blink671.asm (INHX32, LF)
;           gpasm -a inhx8m -n -o blink671-inhx8m.hex blink671.asm (INHX8M, CR LF)
        list    p=12c671
        #include <p12c671.inc>
        __config _CP_OFF & _MCLRE_ON & _PWRTE_ON & _WDT_OFF & _INTRC_OSC_NOCLKOUT ; 0x3FE4
        __idlocs 0x1234

        org     0x000
        goto    start
        org     0x004
        retfie

start   bsf     STATUS, RP0
        movlw   b'00111110'
        movwf   TRISIO
        bcf     STATUS, RP0
loop    movlw   0x01
        xorwf   GPIO, f
        call    wait
        goto    loop

        org     0x3F0           ; near the top, below the calibration word
wait    decfsz  0x20, f
        goto    wait
        retlw   0
        end
